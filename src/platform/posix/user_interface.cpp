// The user interface on POSIX. Without a GUI host the component's dialogs become text on standard
// error, so a shell user still sees what a desktop user would be shown.
#include "platform/system.hpp"

#include <iostream>
#include <memory>

namespace orvulink::platform {
namespace {

const char* IconLabel(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kCritical:
      return "error";
    case MessageIcon::kExclamation:
      return "warning";
    case MessageIcon::kInformation:
      return "information";
  }
  return "message";
}

class TextUserInterface final : public UserInterface {
 public:
  void MessageBox(const BStr& text, const BStr& title, MessageIcon icon) override {
    std::cerr << title.utf8() << " (" << IconLabel(icon) << "): " << text.utf8() << std::endl;
  }

  void ShowAboutBox(const AboutBox& box) override {
    std::cerr << "About " << box.title.utf8() << '\n'
              << box.title.utf8() << ' ' << box.version.utf8() << '\n';
    for (const BStr& line : box.lines)
      std::cerr << line.utf8() << '\n';
    std::cerr.flush();
  }

  void ShowHelpContents(const std::string& helpFile) override {
    std::cerr << "Help contents: " << helpFile << std::endl;
  }
};

}  // namespace

std::shared_ptr<UserInterface> system::MakeUserInterface() {
  return std::make_shared<TextUserInterface>();
}

}  // namespace orvulink::platform
