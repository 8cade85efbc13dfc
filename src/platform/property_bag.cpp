// Property bags. The file bag keeps one `Key=Value` line per setting and replaces the file in
// one rename, so a crash mid-save never leaves a half-written file holding passwords.
#include <orvulink/property_bag.hpp>

#include "platform/runtime_error.hpp"
#include "platform/text.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>

namespace orvulink {
namespace {

constexpr std::int32_t kErrPathFileAccess = 75;  // the runtime's "Path/File access error"
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";  // an editor's UTF-8 mark

[[noreturn]] void RaiseFileError(const std::filesystem::path& path, int error) {
  throw AutomationError(
      kErrPathFileAccess, platform::kErrorSource,
      BStr("Path/File access error: " + path.string() + ": " + std::strerror(error)));
}

// Closes the descriptor and, unless released, removes the temporary file behind it.
class TempFile {
 public:
  explicit TempFile(const std::filesystem::path& target) : name_(target.string() + ".XXXXXX") {
    // mkostemp opens with O_CREAT | O_EXCL and mode 0600: no other user ever sees the content.
    fd_ = mkostemp(name_.data(), O_CLOEXEC);
    if (fd_ < 0) RaiseFileError(target, errno);
  }
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!released_) ::unlink(name_.c_str());
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;

  // 0 on success, else the errno of the failing step.
  int WriteAll(std::string_view bytes) {
    while (!bytes.empty()) {
      const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
      if (written < 0 && errno == EINTR) continue;
      if (written < 0) return errno;
      bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return ::fsync(fd_) == 0 ? 0 : errno;
  }
  int CloseAndRenameTo(const std::filesystem::path& target) {
    const int closed = ::close(fd_);
    fd_ = -1;
    if (closed != 0) return errno;
    if (::rename(name_.c_str(), target.c_str()) != 0) return errno;
    released_ = true;
    return 0;
  }

 private:
  std::string name_;
  int fd_ = -1;
  bool released_ = false;
};

// The rename itself reaches the disk only with its folder.
void SyncFolder(const std::filesystem::path& folder) {
  const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

void EnsureFolder(const std::filesystem::path& target) {
  const std::filesystem::path folder = target.parent_path();
  if (folder.empty()) return;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error) RaiseFileError(folder, error.value());
}

// The whole file; a missing one reads as empty.
std::string ReadWholeFile(const std::filesystem::path& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0 && errno == ENOENT) return {};
  if (fd < 0) RaiseFileError(path, errno);
  std::string content;
  char buffer[4096];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      const int error = errno;
      ::close(fd);
      RaiseFileError(path, error);
    }
    if (got == 0) break;
    content.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return content;
}

bool IsIgnoredLine(std::string_view line) {
  const std::string_view trimmed = platform::TrimBlanks(line);
  return trimmed.empty() || trimmed.front() == '#' || trimmed.front() == ';';
}

bool HasLineBreak(const std::u16string& text) {
  return text.find_first_of(u"\r\n") != std::u16string::npos;
}

// A key that would not read back as itself from a line file.
bool IsUnwritableKey(const std::u16string& key) {
  const std::string utf8 = platform::Utf16ToUtf8(key);
  return utf8.empty() || platform::TrimBlanks(utf8) != utf8 || IsIgnoredLine(utf8) ||
         utf8.find('=') != std::string::npos || HasLineBreak(key);
}

}  // namespace

PropertyBag::~PropertyBag() = default;

// ---- MemoryPropertyBag ------------------------------------------------------------------------

Variant MemoryPropertyBag::ReadProperty(const BStr& name, const Variant& defaultValue) {
  for (const auto& [key, value] : entries_) {
    if (key == name) return value;
  }
  return defaultValue;
}

void MemoryPropertyBag::WriteProperty(const BStr& name, const Variant& value, const Variant&) {
  // Defaults are kept too: a host reading the bag back sees every setting.
  Set(name, value);
}

bool MemoryPropertyBag::Contains(const BStr& name) const {
  return std::any_of(entries_.begin(), entries_.end(),
                     [&](const auto& entry) { return entry.first == name; });
}

void MemoryPropertyBag::Set(const BStr& name, Variant value) {
  for (auto& [key, stored] : entries_) {
    if (key == name) {
      stored = std::move(value);
      return;
    }
  }
  entries_.emplace_back(name, std::move(value));
}

// ---- FilePropertyBag --------------------------------------------------------------------------

FilePropertyBag::FilePropertyBag(std::filesystem::path path) : path_(std::move(path)) {}

void FilePropertyBag::Load() {
  std::string content = ReadWholeFile(path_);
  if (content.starts_with(kByteOrderMark)) content.erase(0, kByteOrderMark.size());
  values_ = MemoryPropertyBag();
  skipped_.clear();
  int number = 0;
  std::string_view rest = content;
  while (!rest.empty()) {
    const std::size_t end = std::min(rest.find('\n'), rest.size());
    std::string_view line = rest.substr(0, end);
    rest.remove_prefix(std::min(end + 1, rest.size()));
    ++number;
    // Every CR before the LF: a file converted to CR LF twice ends its lines in CR CR LF, and
    // no value we write can end in CR (WriteProperty refuses line breaks).
    while (line.ends_with('\r'))
      line.remove_suffix(1);
    if (IsIgnoredLine(line)) continue;
    const std::size_t equals = line.find('=');
    const std::string_view key =
        platform::TrimBlanks(line.substr(0, equals == std::string_view::npos ? 0 : equals));
    if (key.empty()) {
      skipped_.emplace_back(number, std::string(line));
      continue;
    }
    values_.Set(BStr(key), Variant(BStr(line.substr(equals + 1))));
  }
}

void FilePropertyBag::Save() const {
  std::string content;
  for (const auto& [key, value] : values_.Entries()) {
    content += key.utf8() + "=" + value.ToText().utf8() + "\n";
  }
  // Load drops a byte order mark at the start of the file; a first key that begins with U+FEFF
  // would lose it there, so such a file gets a mark of its own in front.
  if (content.starts_with(kByteOrderMark)) content.insert(0, kByteOrderMark);
  EnsureFolder(path_);
  TempFile temp(path_);
  int error = temp.WriteAll(content);
  if (error == 0) error = temp.CloseAndRenameTo(path_);
  if (error != 0) RaiseFileError(path_, error);
  SyncFolder(path_.parent_path());
}

Variant FilePropertyBag::ReadProperty(const BStr& name, const Variant& defaultValue) {
  return values_.ReadProperty(name, defaultValue);
}

void FilePropertyBag::WriteProperty(const BStr& name, const Variant& value,
                                    const Variant& defaultValue) {
  // Booleans come out "True"/"False", as the text conversion gives them.
  BStr text = value.ToText();
  if (HasLineBreak(text.str()) || IsUnwritableKey(name.str())) {
    platform::RaiseRuntimeError(platform::kErrInvalidCall);
  }
  values_.WriteProperty(name, Variant(std::move(text)), defaultValue);
}

}  // namespace orvulink
