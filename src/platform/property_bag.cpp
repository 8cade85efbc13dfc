// Property bags. The file bag keeps one `Key=Value` line per setting and replaces the whole file
// in one step (the system layer's), so a crash mid-save never leaves a half-written file.
#include <orvulink/property_bag.hpp>

#include "platform/runtime_error.hpp"
#include "platform/system.hpp"
#include "platform/text.hpp"

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

void EnsureFolder(const std::filesystem::path& target) {
  const std::filesystem::path folder = target.parent_path();
  if (folder.empty()) return;
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error)
    throw AutomationError(
        kErrPathFileAccess, platform::kErrorSource,
        BStr("Path/File access error: " + folder.string() + ": " + error.message()));
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
  std::string content = platform::system::ReadWholeFile(path_);
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
  platform::system::ReplaceWholeFile(path_, content);
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
