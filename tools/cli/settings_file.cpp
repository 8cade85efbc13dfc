#include "settings_file.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "exit_codes.hpp"
#include "settings_rules.hpp"

namespace orvulink::cli {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}

[[noreturn]] void FileError(const std::filesystem::path& path, const std::string& what) {
  throw std::runtime_error(path.string() + ": " + what + ": " + std::strerror(errno));
}

// The new content goes to a private temporary file first, renamed over the old one: a crash
// never leaves half a file of passwords, and no other user can read it at any moment.
void WriteReplacing(const std::filesystem::path& path, const std::string& content) {
  if (path.has_parent_path()) std::filesystem::create_directories(path.parent_path());
  std::string temp = path.string() + ".XXXXXX";
  const int fd = mkostemp(temp.data(), O_CLOEXEC);
  if (fd < 0) FileError(path, "cannot write");
  std::string_view rest = content;
  bool ok = true;
  while (ok && !rest.empty()) {
    const ssize_t written = ::write(fd, rest.data(), rest.size());
    if (written < 0 && errno == EINTR) continue;
    ok = written > 0;
    if (ok) rest.remove_prefix(static_cast<std::size_t>(written));
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (!ok || ::rename(temp.c_str(), path.c_str()) != 0) {
    const int error = errno;
    ::unlink(temp.c_str());
    errno = error;
    FileError(path, "cannot write");
  }
}

}  // namespace

SettingsFile::SettingsFile(std::filesystem::path path) : path_(std::move(path)) {}

void SettingsFile::Load(bool must_exist, std::ostream& warnings) {
  lines_.clear();
  values_.clear();
  std::error_code error;
  if (!std::filesystem::exists(path_, error) && !error) {
    if (!must_exist) return;
    throw UsageError(path_.string() + ": no such settings file (config set creates one)");
  }
  std::ifstream in(path_, std::ios::binary);
  if (!in) FileError(path_, "cannot read");
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    if (number == 1 && line.starts_with(kByteOrderMark)) line.erase(0, kByteOrderMark.size());
    while (line.ends_with('\r'))
      line.pop_back();
    ReadLine(line, number, warnings);
  }
  if (in.bad()) FileError(path_, "cannot read");
}

void SettingsFile::ReadLine(std::string_view text, int number, std::ostream& warnings) {
  Line line{std::string(text), {}, {}};
  const std::string_view trimmed = Trimmed(text);
  const std::string where = path_.string() + ":" + std::to_string(number) + ": ";
  if (trimmed.empty() || trimmed.front() == '#' || trimmed.front() == ';') {
    lines_.push_back(std::move(line));
    return;
  }
  const std::size_t equals = text.find('=');
  const std::string_view name =
      Trimmed(text.substr(0, equals == std::string_view::npos ? 0 : equals));
  // The line itself is not quoted: it may hold a password typed without its key.
  if (name.empty()) throw UsageError(where + "not a KEY=VALUE line");
  CheckedSetting checked = CheckSetting(name, text.substr(equals + 1));
  if (checked.key.empty()) {
    warnings << "warning: " << where << "unknown setting \"" << name << "\" left as it is\n";
  } else if (!checked.problem.empty()) {
    throw UsageError(where + std::string(checked.key) + " " + checked.problem);
  } else {
    line.key = std::string(checked.key);
    StoreValue(checked.key, std::move(checked.value));  // the last line of a key counts
  }
  lines_.push_back(std::move(line));
}

void SettingsFile::Save() const {
  std::string content;
  for (const Line& line : lines_) {
    content += line.value ? line.key + "=" + *line.value : line.text;
    content += '\n';
  }
  WriteReplacing(path_, content);
}

std::optional<std::string> SettingsFile::Get(std::string_view key) const {
  const auto found = std::ranges::find_if(values_, [key](const auto& v) { return v.first == key; });
  if (found == values_.end()) return std::nullopt;
  return found->second;
}

SettingsFile::Line* SettingsFile::Find(std::string_view key) {
  // The last line of a key is the one that counts, as it was when the file was read.
  const auto found =
      std::find_if(lines_.rbegin(), lines_.rend(), [key](const Line& l) { return l.key == key; });
  return found == lines_.rend() ? nullptr : &*found;
}

int SettingsFile::LineOf(std::string_view key) const {
  const auto found =
      std::find_if(lines_.rbegin(), lines_.rend(), [key](const Line& l) { return l.key == key; });
  return found == lines_.rend() ? 0 : static_cast<int>(lines_.rend() - found);
}

bool SettingsFile::StoreValue(std::string_view key, std::string value) {
  const auto found = std::ranges::find_if(values_, [key](const auto& v) { return v.first == key; });
  if (found == values_.end()) {
    values_.emplace_back(std::string(key), std::move(value));
    return true;
  }
  if (found->second == value) return false;
  found->second = std::move(value);
  return true;
}

void SettingsFile::Set(std::string_view key, std::string value) {
  if (!StoreValue(key, value)) return;  // unchanged: the line stays as typed
  if (Line* line = Find(key)) {
    line->value = std::move(value);
  } else {
    lines_.push_back({{}, std::string(key), std::move(value)});
  }
}

Variant SettingsFile::ReadProperty(const BStr& name, const Variant& defaultValue) {
  const std::optional<std::string> value = Get(name.utf8());
  if (!value) return defaultValue;
  // Booleans go to the control as Booleans: it has no "yes" of its own to misread.
  if (CheckSetting(name.utf8(), *value).kind == SettingKind::kBoolean) {
    return Variant(VariantBool(*value == "True"));
  }
  return Variant(BStr(*value));
}

void SettingsFile::WriteProperty(const BStr& name, const Variant& value, const Variant&) {
  const std::string text = value.ToText().utf8();
  if (text.find_first_of("\r\n") != std::string::npos) {
    throw UsageError(name.utf8() + " cannot hold a line break");
  }
  Set(name.utf8(), text);
}

}  // namespace orvulink::cli
