#include "receive/incoming_payload.hpp"

#include "platform/conversions.hpp"
#include "platform/date_text.hpp"
#include "platform/text.hpp"
#include "receive/access.hpp"

#include <cstddef>
#include <vector>

namespace orvulink::receive {
namespace {

constexpr std::u16string_view kMessageSeparator = u"\x1F";
constexpr std::u16string_view kFieldSeparator = u"\t";

constexpr std::size_t kDateField = 0;
constexpr std::size_t kTimeField = 1;
constexpr std::size_t kSenderField = 2;
constexpr std::size_t kTextField = 3;

// A date the gateway wrote in another form is no reason to lose the message.
void SetDateIfReadable(OrvuReceivedMessage& message, const std::vector<std::u16string>& fields) {
  if (fields.size() <= kTimeField) return;
  try {
    Access::SetDateTime(message,
                        platform::TextToDate(fields[kDateField] + u" " + fields[kTimeField]));
  } catch (const AutomationError&) {
    // Left at the zero date.
  }
}

std::shared_ptr<OrvuReceivedMessage> ReadMessage(std::u16string_view part) {
  const std::vector<std::u16string> fields = platform::Split(part, kFieldSeparator);
  auto message = Access::NewMessage();
  SetDateIfReadable(*message, fields);
  if (fields.size() > kSenderField) Access::SetPhoneGsm(*message, fields[kSenderField]);
  if (fields.size() > kTextField) Access::SetText(*message, fields[kTextField]);
  return message;
}

}  // namespace

DownloadPayload SplitDownloadPayload(std::u16string_view payload) {
  const std::size_t space = payload.find(u' ');
  const std::size_t countLength = space == std::u16string_view::npos ? 0 : space + 1;
  DownloadPayload result;
  result.count = platform::TextToInteger(payload.substr(0, countLength));
  result.messages = std::u16string(payload.substr(countLength));
  return result;
}

std::shared_ptr<OrvuReceivedMessages> ReadMessageList(std::u16string_view messages) {
  auto list = Access::NewMessageList();
  for (const std::u16string& part : platform::Split(messages, kMessageSeparator))
    Access::Append(*list, ReadMessage(part));
  return list;
}

}  // namespace orvulink::receive
