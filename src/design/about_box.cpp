// The about box's content. Hosts draw it; the component only says what it holds.
#include <orvulink/design.hpp>

#include "core/version.hpp"

namespace orvulink {
namespace {

constexpr char16_t kInformationAddress[] = u"https://www.orvulink.example/";
constexpr char16_t kSupportAddress[] = u"support@orvulink.example";

// A pre-addressed support e-mail whose subject names the version, so that a request says which
// release it is about. The space of the subject is percent-encoded as a mailto: link needs.
std::u16string SupportLink(const std::u16string& version) {
  return u"mailto:" + std::u16string(kSupportAddress) + u"?subject=OrvuLink%20" + version;
}

}  // namespace

platform::AboutBox MakeAboutBox() {
  const std::u16string version = core::ComponentVersion();
  return {u"OrvuLink",
          version,
          {u"Information: " + std::u16string(kInformationAddress),
           u"Support: " + SupportLink(version)}};
}

}  // namespace orvulink
