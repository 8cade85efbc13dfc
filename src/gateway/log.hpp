// The diagnostic log: one writer for finished lines, off unless the build switch is on.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace orvulink::gateway {

inline constexpr bool kLogEnabled = ORVULINK_LOG_ENABLED != 0;
inline constexpr std::string_view kLogFileName = "OrvuLinkLog.txt";
inline constexpr std::string_view kLogSeparator =
    "*-*-*-*-*-*-*-*--*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-*-";

// The writer behind WriteLog, usable switched on by tests. Keeps its stream open between lines;
// never raises.
class LogWriter {
 public:
  LogWriter(bool enabled, std::filesystem::path path);
  ~LogWriter();
  LogWriter(const LogWriter&) = delete;
  LogWriter& operator=(const LogWriter&) = delete;

  void Write(std::u16string_view line) noexcept;
  void Close() noexcept;  // closes and drops the stream; the next Write opens it again
  const std::filesystem::path& path() const { return path_; }

 private:
  struct Stream;
  bool enabled_;
  std::filesystem::path path_;
  Stream* stream_ = nullptr;
};

// The log file: "OrvuLinkLog.txt" in the folder of the library's own file.
std::filesystem::path LogPath();

// This thread's writer: appends `line` + CR LF, the build switch permitting.
void WriteLog(std::u16string_view line) noexcept;
// The date and time that log lines carry; "" when the clock cannot be read.
std::u16string LogStamp() noexcept;
// Closes and drops this thread's log objects (control end, start routine).
void CloseLog() noexcept;

// A normal file (not a folder, not hidden: no leading "."); false on any error.
bool FileExists(const std::filesystem::path& path) noexcept;

}  // namespace orvulink::gateway
