// The clock seam: the local wall clock and a real sleep by default, replaceable by hosts and
// tests (a fake clock lets time-outs pass without waiting).
#include "platform/clock.hpp"

#include <orvulink/platform.hpp>

#include "platform/seam_slot.hpp"
#include "platform/system.hpp"

#include "platform/text.hpp"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <utility>

namespace orvulink::platform {
namespace {

// tzset() reads the zone again, a stat of /etc/localtime at the least: too dear for a clock
// read per message. It runs when TZ differs from what this thread last saw, and at most once a
// second otherwise, so a changed TZ is followed at once and a replaced zone file within a second.
// True when the zone was read again.
bool FollowTimeZone() {
  // TZ unset (the system's zone file) and TZ="" (UTC) are different zones.
  thread_local std::optional<std::optional<std::string>> lastZone;
  thread_local std::chrono::steady_clock::time_point lastRead;
  const char* value = std::getenv("TZ");
  const std::optional<std::string_view> zone =
      value ? std::optional<std::string_view>(value) : std::nullopt;
  const auto now = std::chrono::steady_clock::now();
  if (lastZone && *lastZone == zone && now - lastRead < std::chrono::seconds(1)) return false;
  system::ReadTimeZone();
  lastZone = zone ? std::optional<std::string>(*zone) : std::nullopt;
  lastRead = now;
  return true;
}

Date LocalDate(std::time_t now) {
  std::tm local{};
  if (!system::LocalTime(now, local)) return Date{};
  return Date::FromParts(
      DateParts{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min,
                std::min(local.tm_sec, 59)});  // a leap second stays in its minute
}

class SystemClock final : public Clock {
 public:
  Date Now() override {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    // Within one second and one zone the answer is the same: a send accepted at once reads the
    // clock for every member.
    thread_local std::time_t lastSecond = -1;
    thread_local Date lastDate;
    const bool zoneRead = FollowTimeZone();  // follow a changed TZ, as localtime() would
    if (!zoneRead && now == lastSecond) return lastDate;
    lastDate = LocalDate(now);
    lastSecond = now;
    return lastDate;
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
