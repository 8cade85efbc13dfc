// TestConnection: the empty command sent in raw mode, its outcome classified for the host. It never
// raises: the verdict is the host's report, ErrCode/ErrDescription stay as the exchange left them.
#include <orvulink/control.hpp>

#include "control/control_state.hpp"
#include "control/error_exit.hpp"
#include "gateway/exchange_form.hpp"
#include "platform/conversions.hpp"
#include "platform/text.hpp"

#include <cstdint>
#include <string>

namespace orvulink {
namespace {

constexpr std::u16string_view kBodyOpen = u"<body>";
constexpr std::u16string_view kBodyClose = u"</body>";

// The verdict on an answer page: numeric body 1, other body -4, no body framed by the two tags
// leaves `verdict` as it is.
std::int32_t JudgeAnswer(const std::u16string& answer, std::int32_t verdict) {
  if (answer.empty()) return verdict;
  const std::size_t open = platform::Find(answer, kBodyOpen);
  const std::size_t close = platform::Find(answer, kBodyClose);
  if (open < 1 || close < 1 || close <= open) return verdict;
  const std::size_t bodyStart = open - 1 + kBodyOpen.size();
  const std::u16string body = answer.substr(bodyStart, close - 1 - bodyStart);
  return platform::IsNumeric(platform::ReplaceAll(body, u"\r\n", u"")) ? ORVULINK_TEST_OK
                                                                       : ORVULINK_TEST_GATEWAY;
}

}  // namespace

OrvuLink_CodeTestConnection OrvuLinkActiveX::TestConnection() {
  CheckThread();
  auto& state = control::ThisThreadState();
  auto& form = gateway::ThisThreadExchangeForm();
  const platform::CommandScope inProgress = control::EnterCommand(state);
  std::int32_t verdict = ORVULINK_TEST_GENERIC;
  try {
    control::ResetErrorState(state);
    form.iCodeTest = 0;
    form.bRawAnswer = VariantBool(true);
    const std::u16string answer = form.getUrl(u"");
    form.bRawAnswer = VariantBool(false);
    verdict = form.iCodeTest;
    verdict = JudgeAnswer(answer, verdict);
  } catch (...) {
    // The verdict reached so far stands; the failure stays readable in ErrCode/ErrDescription.
    form.bRawAnswer = VariantBool(false);
  }
  return static_cast<OrvuLink_CodeTestConnection>(verdict);
}

}  // namespace orvulink
