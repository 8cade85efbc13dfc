// The settings file: whatever a user or an editor leaves in it, Load reads it without failing,
// a Save of what was read reads back as the same values with no line skipped, and the control's
// settings restored from it survive their own save and restore unchanged.
#include "control/persistence.hpp"
#include "core/control_state.hpp"
#include "fuzz_support.hpp"

#include <orvulink/property_bag.hpp>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace orvulink;
namespace fs = std::filesystem;

// A folder of this process's own, in memory when the system has one: Save syncs every write.
// Kept alive to the very end (never destroyed), so that the exit handler can still remove it.
const fs::path& ScratchFolder() {
  static const fs::path* const folder = [] {
    std::error_code error;
    const fs::path base =
        fs::is_directory("/dev/shm", error) ? fs::path("/dev/shm") : fs::temp_directory_path();
    auto* created = new fs::path(base / ("orvulink-fuzz-bag-" + std::to_string(::getpid())));
    fs::create_directories(*created);
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(ScratchFolder(), ignored);
    });
    return created;
  }();
  return *folder;
}

const fs::path& ScratchFile() {
  static const fs::path file = ScratchFolder() / "settings.ini";
  return file;
}

void WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Every text a line offers as a key, as far as a reader of the file could tell: what stands
// before its first "=", trimmed or not, and the fixed keys of the control's settings.
std::vector<BStr> CandidateKeys(std::string_view content) {
  std::vector<BStr> keys;
  for (const control::PersistedSetting& setting : control::PersistedSettings())
    keys.emplace_back(setting.key);
  while (!content.empty()) {
    const std::size_t end = std::min(content.find('\n'), content.size());
    const std::string_view line = content.substr(0, end);
    content.remove_prefix(std::min(end + 1, content.size()));
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    std::string_view key = line.substr(0, equals);
    keys.emplace_back(key);
    while (!key.empty() && (key.front() == ' ' || key.front() == '\t'))
      key.remove_prefix(1);
    while (!key.empty() && (key.back() == ' ' || key.back() == '\t'))
      key.remove_suffix(1);
    keys.emplace_back(key);
  }
  return keys;
}

void CheckRoundTrip(std::string_view content) {
  const fs::path& path = ScratchFile();
  WriteFile(path, content);
  FilePropertyBag first(path);
  first.Load();
  first.Save();
  FilePropertyBag second(path);
  second.Load();
  ORVULINK_FUZZ_CHECK(second.SkippedLines().empty());
  for (const BStr& key : CandidateKeys(content)) {
    ORVULINK_FUZZ_CHECK(first.ReadProperty(key, Variant()) == second.ReadProperty(key, Variant()));
  }
}

bool SameSettings(const core::ControlState& a, const core::ControlState& b) {
  return a.UserName == b.UserName && a.Password == b.Password && a.VAPcode == b.VAPcode &&
         a.TestMode == b.TestMode && a.EncryptSSL == b.EncryptSSL &&
         a.AutomaticProxy == b.AutomaticProxy && a.Proxy == b.Proxy && a.ProxyPort == b.ProxyPort &&
         a.ProxyUsername == b.ProxyUsername && a.ProxyPassword == b.ProxyPassword &&
         a.UserNameDigest == b.UserNameDigest && a.PasswordDigest == b.PasswordDigest;
}

void CheckSettings(std::string_view content) {
  const fs::path& path = ScratchFile();
  WriteFile(path, content);
  FilePropertyBag file(path);
  file.Load();
  core::ControlState restored;
  control::RestoreSettings(restored, file);

  MemoryPropertyBag memory;
  control::SaveSettings(restored, memory);
  core::ControlState again;
  control::RestoreSettings(again, memory);
  ORVULINK_FUZZ_CHECK(SameSettings(restored, again));

  // Saved into the file and read back by a fresh bag, as the command-line host does it.
  control::SaveSettings(restored, file);
  file.Save();
  FilePropertyBag reread(path);
  reread.Load();
  core::ControlState fromFile;
  control::RestoreSettings(fromFile, reread);
  ORVULINK_FUZZ_CHECK(SameSettings(restored, fromFile));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content = fuzz::BytesAsText(data, size);
  CheckRoundTrip(content);
  CheckSettings(content);
  return 0;
}
