// Whole-file reads and atomic replacement on POSIX: the file bag's storage. The new content goes
// to a private temporary file that is renamed over the old one, so a crash mid-save never
// leaves a half-written file holding passwords.
#include "platform/system.hpp"

#include "platform/runtime_error.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace orvulink::platform::system {
namespace {

constexpr std::int32_t kErrPathFileAccess = 75;  // the runtime's "Path/File access error"

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

}  // namespace

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

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

void ReplaceWholeFile(const std::filesystem::path& path, std::string_view content) {
  TempFile temp(path);
  int error = temp.WriteAll(content);
  if (error == 0) error = temp.CloseAndRenameTo(path);
  if (error != 0) RaiseFileError(path, error);
  SyncFolder(path.parent_path());
}

}  // namespace orvulink::platform::system
