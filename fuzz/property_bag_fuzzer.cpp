// The settings file: whatever a user or an editor leaves in it, Load reads it without failing,
// a Save of what was read reads back as the same values with no line skipped, and the control's
// settings restored from it survive their own save and restore unchanged.
#include "control/persistence.hpp"
#include "fuzz_support.hpp"

#include <orvulink/property_bag.hpp>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

using namespace orvulink;
namespace fs = std::filesystem;

// A file of this process's own, in memory when the system has one (Save syncs every write),
// removed at exit.
const fs::path& ScratchFile() {
  static const fs::path file = [] {
    const fs::path base = fs::is_directory("/dev/shm") ? "/dev/shm" : fs::temp_directory_path();
    std::atexit([] {
      std::error_code ignored;
      fs::remove(ScratchFile(), ignored);
    });
    return base / ("orvulink-fuzz-bag-" + std::to_string(::getpid()) + ".ini");
  }();
  return file;
}

void WriteFile(std::string_view bytes) {
  std::ofstream(ScratchFile(), std::ios::binary | std::ios::trunc)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Every text a line offers as a key, as far as a reader of the file could tell: what stands
// before its first "=", trimmed or not, and the fixed keys of the control's settings.
std::vector<BStr> CandidateKeys(std::string_view content) {
  std::vector<BStr> keys;
  for (const control::PersistedSetting& setting : control::PersistedSettings())
    keys.emplace_back(setting.key);
  std::istringstream lines{std::string(content)};
  for (std::string line; std::getline(lines, line);) {
    std::string key = line.substr(0, line.find('='));
    if (key.size() == line.size()) continue;
    keys.emplace_back(key);
    key.erase(0, key.find_first_not_of(" \t"));
    key.erase(key.find_last_not_of(" \t") + 1);
    keys.emplace_back(key);
  }
  return keys;
}

bool SameSettings(const core::ControlState& a, const core::ControlState& b) {
  return a.UserName == b.UserName && a.Password == b.Password && a.VAPcode == b.VAPcode &&
         a.TestMode == b.TestMode && a.EncryptSSL == b.EncryptSSL &&
         a.AutomaticProxy == b.AutomaticProxy && a.Proxy == b.Proxy && a.ProxyPort == b.ProxyPort &&
         a.ProxyUsername == b.ProxyUsername && a.ProxyPassword == b.ProxyPassword &&
         a.UserNameDigest == b.UserNameDigest && a.PasswordDigest == b.PasswordDigest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content = fuzz::BytesAsText(data, size);
  WriteFile(content);
  FilePropertyBag first(ScratchFile());
  first.Load();
  core::ControlState restored;
  control::RestoreSettings(restored, first);
  first.Save();
  FilePropertyBag second(ScratchFile());
  second.Load();
  ORVULINK_FUZZ_CHECK(second.SkippedLines().empty());
  for (const BStr& key : CandidateKeys(content))
    ORVULINK_FUZZ_CHECK(first.ReadProperty(key, Variant()) == second.ReadProperty(key, Variant()));

  // Saved into the file and read back by a fresh bag, as the command-line host does it.
  control::SaveSettings(restored, second);
  second.Save();
  FilePropertyBag third(ScratchFile());
  third.Load();
  core::ControlState fromFile;
  control::RestoreSettings(fromFile, third);
  ORVULINK_FUZZ_CHECK(SameSettings(restored, fromFile));
  return 0;
}
