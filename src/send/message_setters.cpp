#include "send/message_setters.hpp"

#include "core/control_state.hpp"
#include "core/error_exit.hpp"
#include "send/access.hpp"
#include "send/message_rules.hpp"

#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace orvulink::send {
namespace {

// The result of a rule for the last text given to it: the messages of a list mostly share
// their sender and text, so each is checked once per run of them. A failing rule leaves
// nothing remembered.
template <class Result>
class LastResult {
 public:
  template <class Rule>
  const Result& For(std::u16string_view given, Rule rule) {
    if (!given_ || *given_ != given) {
      given_.reset();
      result_ = rule(given);
      given_ = std::u16string(given);
    }
    return result_;
  }

 private:
  std::optional<std::u16string> given_;
  Result result_{};
};

struct KeptText {
  std::shared_ptr<const std::u16string> text;  // shared by the messages made from it
  std::int16_t parts = 0;
};

}  // namespace

void SetPhoneGsm(OrvuSendMessage& message, std::u16string_view text) {
  CheckedRecipient checked = CheckRecipient(text);
  if (!checked.valid) Access::Status(message) = ORVULINK_MESSAGESEND_ERRPHONEGSM;
  Access::SetPhoneGsm(message, checked.phone);
}

void SetSender(OrvuSendMessage& message, std::u16string_view text) {
  core::ResetErrorState(core::ThisThreadState());
  thread_local LastResult<std::optional<std::u16string>> last;
  const std::optional<std::u16string>& sender = last.For(text, CheckSender);
  if (!sender) {
    Access::Status(message) = ORVULINK_MESSAGESEND_ERRSENDER;
    return;
  }
  Access::Sender(message) = *sender;
}

void SetDateTime(OrvuSendMessage& message, Date value) {
  std::optional<std::u16string> dateText = SendDateText(value);
  if (!dateText) {
    Access::Status(message) = ORVULINK_MESSAGESEND_ERRDATETIME;
    Access::GivenDate(message) = value;
    return;
  }
  Access::DateText(message) = std::move(*dateText);
}

void SetText(OrvuSendMessage& message, std::u16string_view text) {
  thread_local LastResult<KeptText> last;
  const KeptText& kept = last.For(text, [](std::u16string_view given) {
    CountedText counted = CountParts(FilterMessageText(given));
    return KeptText{std::make_shared<const std::u16string>(std::move(counted.text)), counted.parts};
  });
  Access::ShareText(message, kept.text);
  Access::NumSMS(message) = kept.parts;
}

std::shared_ptr<OrvuSendMessage> BuildMessage(std::u16string_view phone, std::u16string_view text,
                                              std::u16string_view sender, Date sendDate) {
  auto message = Access::NewMessage();
  SetPhoneGsm(*message, phone);
  SetSender(*message, sender);
  SetDateTime(*message, sendDate);
  SetText(*message, text);
  return message;
}

}  // namespace orvulink::send
