// The clock seam: the local wall clock and a real sleep by default, replaceable by hosts and
// tests (a fake clock lets time-outs pass without waiting).
#include "platform/clock.hpp"

#include <orvulink/platform.hpp>

#include "platform/seam_slot.hpp"

#include "platform/text.hpp"

#include <algorithm>
#include <ctime>
#include <thread>
#include <utility>

namespace orvulink::platform {
namespace {

class SystemClock final : public Clock {
 public:
  Date Now() override {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    tzset();  // follow a changed TZ, as localtime() would
    std::tm local{};
    if (localtime_r(&now, &local) == nullptr) return Date{};
    return Date::FromParts(
        DateParts{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                  local.tm_min, std::min(local.tm_sec, 59)});  // a leap second stays in its minute
  }
  void Sleep(std::chrono::milliseconds duration) override { std::this_thread::sleep_for(duration); }
};

SeamSlot<Clock>& Seam() {
  static SeamSlot<Clock> slot(std::make_shared<SystemClock>());
  return slot;
}

}  // namespace

Clock::~Clock() = default;

std::shared_ptr<Clock> SetClock(std::shared_ptr<Clock> clock) {
  return Seam().Set(std::move(clock));
}

std::shared_ptr<Clock> GetClock() {
  return Seam().Get();
}

Date Now() {
  return GetClock()->Now();
}

void SleepFor(std::chrono::milliseconds duration) {
  GetClock()->Sleep(duration);
}

std::u16string NowGeneral() {
  return Utf8ToUtf16(Now().FormatGeneral());
}

}  // namespace orvulink::platform
