// The installation-folder lookup seam, and the `Key=Value` file that stands in for the registry
// where there is none (the registry key path itself has no counterpart there).
#include <orvulink/platform.hpp>

#include "platform/seam_slot.hpp"
#include "platform/system.hpp"

#include "platform/text.hpp"

#include <fstream>
#include <string_view>
#include <utility>

namespace orvulink::platform {
namespace {

constexpr std::string_view kBlanks = " \t\r\n";

bool IsIgnoredLine(std::string_view line) {
  return line.empty() || line.front() == '#' || line.front() == ';' || line.front() == '[';
}

bool SameKey(std::string_view a, std::string_view b) {
  return FoldCase(Utf8ToUtf16(a)) == FoldCase(Utf8ToUtf16(b));
}

class FileSystemSettings final : public SystemSettings {
 public:
  explicit FileSystemSettings(std::string path) : path_(std::move(path)) {}

  // The file is read on every lookup so that an edit shows without restarting the host.
  std::int32_t ReadText(const std::string& /*key*/, const std::string& valueName,
                        BStr& value) override {
    std::ifstream file(path_, std::ios::binary);
    std::string raw;
    for (bool first = true; std::getline(file, raw); first = false) {
      std::string_view line = raw;
      if (first && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);  // UTF-8 mark
      line = TrimBlanks(line, kBlanks);
      const auto equals = line.find('=');
      if (IsIgnoredLine(line) || equals == std::string_view::npos) continue;
      if (!SameKey(TrimBlanks(line.substr(0, equals), kBlanks), valueName)) continue;
      value = BStr(TrimBlanks(line.substr(equals + 1), kBlanks));
      return kSettingFound;
    }
    return kSettingNotFound;
  }

 private:
  std::string path_;
};

SeamSlot<SystemSettings>& Seam() {
  static SeamSlot<SystemSettings> slot(system::MakeSystemSettings());
  return slot;
}

}  // namespace

SystemSettings::~SystemSettings() = default;

std::shared_ptr<SystemSettings> MakeFileSystemSettings(std::string path) {
  return std::make_shared<FileSystemSettings>(std::move(path));
}

std::shared_ptr<SystemSettings> SetSystemSettings(std::shared_ptr<SystemSettings> settings) {
  return Seam().Set(std::move(settings));
}

std::shared_ptr<SystemSettings> GetSystemSettings() {
  return Seam().Get();
}

}  // namespace orvulink::platform
