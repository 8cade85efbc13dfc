// The settings file as this host keeps it: Key=Value lines under the control's keys and this
// host's own, checked line by line when read, and written back with every other line (comments,
// blank lines, keys of other programs) where it was. The control reads and writes it through
// the property-bag interface, as it would any container's bag.
#pragma once

#include <orvulink/property_bag.hpp>

#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace orvulink::cli {

class SettingsFile : public PropertyBag {
 public:
  explicit SettingsFile(std::filesystem::path path);

  // Reads the file. A missing file is an empty one unless `must_exist`; a line that is not
  // KEY=VALUE or a known key with a value `config set` would refuse throws a UsageError naming
  // the file, the line and the key. An unknown key is kept and reported on `warnings`.
  void Load(bool must_exist, std::ostream& warnings);
  // Writes the file in one rename, mode 0600.
  void Save() const;

  // A setting's value as stored (booleans True/False); none when the file does not set it.
  std::optional<std::string> Get(std::string_view key) const;
  // The 1-based line that sets `key`, as read; 0 when none does.
  int LineOf(std::string_view key) const;
  // Stores an already checked value under its canonical key.
  void Set(std::string_view key, std::string value);

  Variant ReadProperty(const BStr& name, const Variant& defaultValue) override;
  void WriteProperty(const BStr& name, const Variant& value, const Variant& defaultValue) override;

 private:
  struct Line {
    std::string text;                  // as read, or as written last
    std::string key;                   // canonical; "" for a comment, a blank or an unknown key
    std::optional<std::string> value;  // the key's value, when it has changed since reading
  };
  Line* Find(std::string_view key);
  void ReadLine(std::string_view text, int number, std::ostream& warnings);
  bool StoreValue(std::string_view key, std::string value);  // false when it was already so

  std::filesystem::path path_;
  std::vector<Line> lines_;
  std::vector<std::pair<std::string, std::string>> values_;  // canonical key, value
};

}  // namespace orvulink::cli
