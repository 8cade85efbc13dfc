#include "gateway/log.hpp"

#include "platform/clock.hpp"
#include "platform/system.hpp"
#include "platform/text.hpp"

#include <cstdio>
#include <memory>
#include <string>
#include <system_error>

namespace orvulink::gateway {

struct LogWriter::Stream {
  std::FILE* file;
};

LogWriter::LogWriter(bool enabled, std::filesystem::path path)
    : enabled_(enabled), path_(std::move(path)) {}

LogWriter::~LogWriter() {
  Close();
}

namespace {

void WriteText(std::FILE* file, std::u16string_view text) {
  const std::string bytes = platform::EncodeCp1252(text);
  std::fwrite(bytes.data(), 1, bytes.size(), file);
}

// Creates the file when missing and closes it again at once, as the trace expects.
void CreateIfMissing(const std::filesystem::path& path) {
  if (FileExists(path)) return;
  if (std::FILE* created = platform::system::OpenFile(path, "ab")) std::fclose(created);
}

}  // namespace

void LogWriter::Write(std::u16string_view line) noexcept {
  if (!enabled_) return;
  try {
    if (stream_ == nullptr) {
      CreateIfMissing(path_);
      std::FILE* file = platform::system::OpenFile(path_, "ab");
      if (file == nullptr) return;
      stream_ = new Stream{file};
      WriteText(file, u"\r\n");
      WriteText(file, platform::Utf8ToUtf16(kLogSeparator));
      WriteText(file, u"\r\n");
    }
    WriteText(stream_->file, line);
    WriteText(stream_->file, u"\r\n");
    // A trace is read after a crash too: every line reaches the file at once.
    std::fflush(stream_->file);
  } catch (...) {
    // The writer never fails its caller.
  }
}

void LogWriter::Close() noexcept {
  if (stream_ == nullptr) return;
  std::fclose(stream_->file);
  delete stream_;
  stream_ = nullptr;
}

std::filesystem::path LogPath() {
  const std::filesystem::path own = platform::system::ModuleFile();
  if (own.empty()) return std::filesystem::path(kLogFileName);
  return own.parent_path() / kLogFileName;
}

namespace {

std::unique_ptr<LogWriter>& ThisThreadWriter() {
  thread_local std::unique_ptr<LogWriter> writer;
  return writer;
}

}  // namespace

void WriteLog(std::u16string_view line) noexcept {
  if constexpr (!kLogEnabled) {
    return;
  } else {
    try {
      auto& writer = ThisThreadWriter();
      if (!writer) writer = std::make_unique<LogWriter>(true, LogPath());
      writer->Write(line);
    } catch (...) {
      // The writer never fails its caller.
    }
  }
}

std::u16string LogStamp() noexcept {
  try {
    return platform::NowGeneral();
  } catch (...) {
    return {};
  }
}

void CloseLog() noexcept {
  ThisThreadWriter().reset();
}

bool FileExists(const std::filesystem::path& path) noexcept {
  try {
    const auto name = path.filename().string();
    if (name.empty() || name.front() == '.') return false;
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
  } catch (...) {
    return false;
  }
}

}  // namespace orvulink::gateway
