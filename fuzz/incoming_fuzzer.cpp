// The payload of a download: the count before the first space, then one message per part of the
// list, whatever the count announced, with the sender and the text exactly as they arrived.
#include "automation_errors.hpp"
#include "fuzz_support.hpp"
#include "platform/runtime_error.hpp"
#include "platform/text.hpp"
#include "receive/incoming_payload.hpp"

namespace {

using namespace orvulink;
using fuzz::UnitsFromBytes;

void CheckSplit(std::u16string_view payload) {
  receive::DownloadPayload download;
  const std::int32_t raised =
      fuzz::RaisedNumber([&] { download = receive::SplitDownloadPayload(payload); });
  const std::size_t space = payload.find(u' ');
  if (space == std::u16string_view::npos) {
    ORVULINK_FUZZ_CHECK(raised == platform::kErrTypeMismatch);
    return;
  }
  ORVULINK_FUZZ_CHECK(raised == 0 || raised == platform::kErrTypeMismatch ||
                      raised == platform::kErrOverflow);
  if (raised == 0) ORVULINK_FUZZ_CHECK(download.messages == payload.substr(space + 1));
}

void CheckMessages(std::u16string_view messages) {
  const auto list = receive::ReadMessageList(messages);
  const std::vector<std::u16string> parts = platform::Split(messages, u"\x1F");
  ORVULINK_FUZZ_CHECK(static_cast<std::size_t>(list->Count()) == parts.size());
  for (std::size_t i = 0; i < parts.size(); ++i) {
    const auto message = list->Item(static_cast<std::int16_t>(i + 1));
    ORVULINK_FUZZ_CHECK(message != nullptr);
    const std::vector<std::u16string> fields = platform::Split(parts[i], u"\t");
    ORVULINK_FUZZ_CHECK(message->PhoneGsm().str() == (fields.size() > 2 ? fields[2] : u""));
    ORVULINK_FUZZ_CHECK(message->Text().str() == (fields.size() > 3 ? fields[3] : u""));
    if (fields.size() < 2) ORVULINK_FUZZ_CHECK(message->DateTime().IsZero());
    // A date the message holds is a calendar date, so it always prints.
    if (!message->DateTime().IsZero())
      ORVULINK_FUZZ_CHECK(message->DateTime().FormatGeneral() != "");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string payload = UnitsFromBytes(data, size);
  CheckSplit(payload);
  const std::size_t space = payload.find(u' ');
  CheckMessages(space == std::u16string::npos ? std::u16string_view(payload)
                                              : std::u16string_view(payload).substr(space + 1));
  return 0;
}
