// The simulated gateway answering a short conversation of command strings (separated by NUL
// bytes in the input) on its demo account, with its clock moved on between commands: every
// answer carries a known result code and frames into a page, and the same conversation after a
// reset gets the same answers.
#include "fuzz_support.hpp"
#include "sim/answer.hpp"
#include "sim/gateway.hpp"

#include <array>
#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace orvulink;
using namespace std::chrono_literals;

constexpr std::size_t kLongestConversation = 8;

sim::Gateway& DemoGateway() {
  // A fixed start, so that delivery steps and dates are the same on every run.
  static sim::Gateway gateway(
      sim::DemoFixture(), std::string(sim::kDefaultSerial), sim::SimClock([] {
        return sim::SimTime(std::chrono::sys_days(std::chrono::year_month_day(
            std::chrono::year(2024), std::chrono::month(3), std::chrono::day(4))));
      }));
  return gateway;
}

bool KnownCode(const std::string& code) {
  namespace rc = sim::result_code;
  for (std::string_view known :
       {rc::kSuccess, rc::kGatewayMessage, rc::kMessageWrong, rc::kAutoresponder, rc::kVapCode,
        rc::kInsufficientCredit, rc::kCgiError, rc::kAuthentication}) {
    if (code == known) return true;
  }
  return false;
}

std::vector<std::string> Converse(const std::vector<std::string_view>& bodies) {
  sim::Gateway& gateway = DemoGateway();
  gateway.Reset();
  std::vector<std::string> pages;
  for (std::string_view body : bodies) {
    const sim::Answer answer = gateway.Handle(body);
    ORVULINK_FUZZ_CHECK(KnownCode(answer.code));
    std::string page = sim::FramePage(answer);
    ORVULINK_FUZZ_CHECK(page.starts_with(sim::kPageHead) && page.ends_with(sim::kPageTail));
    ORVULINK_FUZZ_CHECK(page.substr(sim::kPageHead.size(), 2) == answer.code);
    pages.push_back(std::move(page));
    gateway.AdvanceClock(5min);
  }
  (void)gateway.SettleDeliveries();
  (void)gateway.AccountsJson().dump();
  return pages;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest = fuzz::BytesAsText(data, size);
  std::vector<std::string_view> bodies;
  while (bodies.size() < kLongestConversation) {
    const std::size_t end = rest.find('\0');
    bodies.push_back(rest.substr(0, end));
    if (end == std::string_view::npos) break;
    rest.remove_prefix(end + 1);
  }
  const std::vector<std::string> first = Converse(bodies);
  ORVULINK_FUZZ_CHECK(Converse(bodies) == first);
  return 0;
}
