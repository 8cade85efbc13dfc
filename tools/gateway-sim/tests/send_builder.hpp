// Send and status-query command strings as the component builds them, and a pinned clock.
#pragma once

#include <chrono>
#include <ctime>
#include <string>
#include <vector>

#include "command_builder.hpp"
#include "sim/sim_clock.hpp"

namespace orvulink::sim::testing_support {

struct SendLineSpec {
  std::string group = "0";
  std::string sender = "Orvu";
  std::string recipients = "+393331111111";
  std::string text = "Hello";
  std::string date = "0000-00-00";
  std::string time = "00:00";
};

// Each field encoded on its own; TAB between fields and CR LF between lines left as they are.
inline std::string SendData(const std::vector<SendLineSpec>& lines) {
  std::string data;
  for (const auto& line : lines) {
    if (!data.empty()) data += "\r\n";
    data += Encode(line.group) + "\t" + Encode(line.sender) + "\t" + Encode(line.recipients) +
            "\t" + Encode(line.text) + "\t" + Encode(line.date) + "\t" + Encode(line.time);
  }
  return data;
}

// `tail` is appended as it stands: "&VCODE=..", "&TEST=1".
inline std::string SendBody(const std::vector<SendLineSpec>& lines, const std::string& tail = "",
                            const Credentials& who = {}) {
  return Command(14, who, {{"SERIAL", Serial()}}) + "&SENDDATA=" + SendData(lines) + tail;
}

inline std::string StatusBody(const std::string& query, const Credentials& who = {}) {
  return Command(15, who, {{"QUERYDATA", query}, {"SERIAL", Serial()}});
}

// A local wall-clock moment, built with the C library rather than the simulator's own code.
inline SimTime LocalMoment(int year, int month, int day, int hour, int minute, int second) {
  std::tm local{};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  return std::chrono::system_clock::from_time_t(std::mktime(&local));
}

// 2024-01-15 10:00:00 local, far from any daylight-saving change; the gateway's own advance
// moves it on.
inline SimClock PinnedClock() {
  return SimClock([] { return LocalMoment(2024, 1, 15, 10, 0, 0); });
}

}  // namespace orvulink::sim::testing_support
