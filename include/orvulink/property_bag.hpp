// Property bags: where a container keeps the control's persisted settings.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/export.hpp>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace orvulink {

class ORVULINK_API PropertyBag {
 public:
  virtual ~PropertyBag();
  // The stored value, or `defaultValue` when the bag has no such key. Raises an
  // AutomationError when the stored value cannot be read.
  virtual Variant ReadProperty(const BStr& name, const Variant& defaultValue) = 0;
  // Stores `value`; a bag may leave out a value equal to `defaultValue`.
  virtual void WriteProperty(const BStr& name, const Variant& value,
                             const Variant& defaultValue) = 0;
};

// Values kept in memory, in the order first written; keys compared exactly.
class ORVULINK_API MemoryPropertyBag : public PropertyBag {
 public:
  Variant ReadProperty(const BStr& name, const Variant& defaultValue) override;
  void WriteProperty(const BStr& name, const Variant& value, const Variant& defaultValue) override;

  bool Contains(const BStr& name) const;
  void Set(const BStr& name, Variant value);  // as a container would have stored it
  const std::vector<std::pair<BStr, Variant>>& Entries() const { return entries_; }

 private:
  std::vector<std::pair<BStr, Variant>> entries_;
};

// A text file of `Key=Value` lines (UTF-8). Booleans are written "True"/"False". Load() skips
// malformed lines; Save() writes the whole file atomically with mode 0600 (it holds passwords).
class ORVULINK_API FilePropertyBag : public PropertyBag {
 public:
  explicit FilePropertyBag(std::filesystem::path path);

  // Reads the file; a missing file is an empty bag. Raises an AutomationError when the file
  // exists but cannot be read.
  void Load();
  // Writes every value; raises an AutomationError when the file cannot be written.
  void Save() const;

  Variant ReadProperty(const BStr& name, const Variant& defaultValue) override;
  void WriteProperty(const BStr& name, const Variant& value, const Variant& defaultValue) override;

  const std::filesystem::path& path() const { return path_; }
  // Lines Load() skipped, with their 1-based numbers, for a host that wants to warn.
  const std::vector<std::pair<int, std::string>>& SkippedLines() const { return skipped_; }

 private:
  std::filesystem::path path_;
  MemoryPropertyBag values_;
  std::vector<std::pair<int, std::string>> skipped_;
};

}  // namespace orvulink
