// Whole-file reads and atomic replacement on Windows: the new content goes to a temporary file
// beside the target (created for its owner only) that replaces the old one in one move.
#include "platform/system.hpp"

#include "platform/runtime_error.hpp"
#include "platform/windows/win32.hpp"

#include <fstream>
#include <iterator>
#include <string>
#include <system_error>

namespace orvulink::platform::system {
namespace {

constexpr std::int32_t kErrPathFileAccess = 75;  // the runtime's "Path/File access error"

[[noreturn]] void RaiseFileError(const std::filesystem::path& path, DWORD error) {
  const std::string reason = std::system_category().message(static_cast<int>(error));
  throw AutomationError(kErrPathFileAccess, platform::kErrorSource,
                        BStr("Path/File access error: " + path.string() + ": " + reason));
}

// Removes the temporary file unless it was moved into place.
struct TempFile {
  std::wstring name;
  bool moved = false;
  ~TempFile() {
    if (!moved) DeleteFileW(name.c_str());
  }
};

}  // namespace

std::FILE* OpenFile(const std::filesystem::path& path, const char* mode) {
  const std::string narrow(mode);
  return _wfopen(path.c_str(), std::wstring(narrow.begin(), narrow.end()).c_str());
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::error_code missing;
  if (!std::filesystem::exists(path, missing)) return {};
  std::ifstream file(path, std::ios::binary);
  if (!file) RaiseFileError(path, GetLastError());
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void ReplaceWholeFile(const std::filesystem::path& path, std::string_view content) {
  TempFile temp{path.wstring() + L".tmp"};
  const HANDLE file = CreateFileW(temp.name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) RaiseFileError(path, GetLastError());
  DWORD written = 0;
  const BOOL wrote =
      WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr) &&
      written == content.size() && FlushFileBuffers(file);
  const DWORD writeError = GetLastError();
  CloseHandle(file);
  if (!wrote) RaiseFileError(path, writeError);
  if (!MoveFileExW(temp.name.c_str(), path.wstring().c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    RaiseFileError(path, GetLastError());
  }
  temp.moved = true;
}

}  // namespace orvulink::platform::system
