// Decoding of the answer text. A "<pre>" block is the gateway's message for the user; it wins
// over the string-table text of the result code.
#include "gateway/answer.hpp"

#include "core/error_exit.hpp"
#include "platform/text.hpp"

#include <array>
#include <optional>
#include <utility>

namespace orvulink::gateway {
namespace {

constexpr std::u16string_view kOpenTag = u"<pre>";
constexpr std::u16string_view kCloseTag = u"</pre>";
constexpr std::u16string_view kSuccessCode = u"01";

struct ResultCode {
  std::u16string_view code;
  OrvuLink_ErrorRuntime error;
};

// In the order the codes are compared.
constexpr std::array<ResultCode, 9> kErrorCodes = {{
    {u"89", ORVULINK_ERROR_WRONG},
    {u"93", ORVULINK_ERROR_AUTORESPONDER},
    {u"94", ORVULINK_ERROR_VAPCODE},
    {u"95", ORVULINK_ERROR_SENTSMS},
    {u"96", ORVULINK_ERROR_GATEWAY},
    {u"97", ORVULINK_ERROR_CREDIT},
    {u"98", ORVULINK_ERROR_CGI},
    {u"99", ORVULINK_ERROR_AUTHENTICATION},
    {u"00", ORVULINK_ERROR_TEXT_MESSAGE},
}};

// The text between the first "<pre>" and the first "</pre>" after it, wherever the tag stands;
// none when there is no such pair.
std::optional<std::u16string> PreMessage(std::u16string_view answer) {
  const std::size_t open = platform::Find(answer, kOpenTag);
  if (open == 0) return std::nullopt;
  const std::size_t textStart = open + kOpenTag.size();  // 1-based
  const std::size_t close = platform::Find(answer, kCloseTag, textStart);
  if (close == 0) return std::nullopt;

  std::u16string text(answer.substr(textStart - 1, close - textStart));
  text = platform::ReplaceAll(text, kOpenTag, u"");
  text = platform::ReplaceAll(text, kCloseTag, u"");
  return platform::TrimSpaces(text);
}

// The error of a result code; none for success.
std::optional<OrvuLink_ErrorRuntime> ErrorOfResultCode(std::u16string_view code) {
  for (const ResultCode& entry : kErrorCodes) {
    if (entry.code == code) return entry.error;
  }
  if (code == kSuccessCode) return std::nullopt;
  return ORVULINK_ERROR_COMMAND;
}

}  // namespace

void DecodeAnswer(core::ControlState& state, std::u16string_view answer) {
  if (answer.empty()) core::RaiseNumbered(state, ORVULINK_ERROR_NETWORK);

  std::optional<std::u16string> message = PreMessage(answer);
  if (message) state.ErrDescription = *message;

  const std::optional<OrvuLink_ErrorRuntime> error = ErrorOfResultCode(answer.substr(0, 2));
  if (!error) return;
  if (message && !message->empty()) {
    core::RaiseWithDescription(state, *error, std::move(*message));
  }
  core::RaiseNumbered(state, *error);
}

std::u16string Payload(std::u16string_view answer) {
  return std::u16string(PayloadView(answer));
}

std::u16string_view PayloadView(std::u16string_view answer) {
  constexpr std::size_t kPayloadStart = 3;
  if (answer.size() <= kPayloadStart) return {};
  return answer.substr(kPayloadStart);
}

}  // namespace orvulink::gateway
