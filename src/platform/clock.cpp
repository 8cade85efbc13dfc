// The clock seam: the local wall clock and a real sleep by default, replaceable by hosts and
// tests (a fake clock lets time-outs pass without waiting).
#include "platform/clock.hpp"

#include <orvulink/platform.hpp>

#include "platform/text.hpp"

#include <algorithm>
#include <ctime>
#include <mutex>
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

struct ClockSeam {
  std::mutex mutex;
  std::shared_ptr<Clock> fallback = std::make_shared<SystemClock>();
  std::shared_ptr<Clock> current = fallback;
};

ClockSeam& Seam() {
  static ClockSeam seam;
  return seam;
}

}  // namespace

Clock::~Clock() = default;

std::shared_ptr<Clock> SetClock(std::shared_ptr<Clock> clock) {
  ClockSeam& seam = Seam();
  const std::lock_guard lock(seam.mutex);
  if (!clock) clock = seam.fallback;
  return std::exchange(seam.current, std::move(clock));
}

std::shared_ptr<Clock> GetClock() {
  ClockSeam& seam = Seam();
  const std::lock_guard lock(seam.mutex);
  return seam.current;
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
