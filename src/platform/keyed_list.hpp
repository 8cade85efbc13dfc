// The keyed list the component's lists are built on: entries in the order added, 1-based
// positions, text keys compared without regard to letter case, a store that exists only from
// its creation to its release. Lookups are by hash, not by walking the entries.
#pragma once

#include "platform/text.hpp"

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvulink::platform {

template <class Entry>  // a std::shared_ptr: null is "not found"
class KeyedList {
 public:
  bool Exists() const noexcept { return exists_; }
  void Create() noexcept { exists_ = true; }
  // Removes every entry and drops the store.
  void Release() {
    entries_.clear();
    positions_.clear();
    exists_ = false;
  }

  std::size_t Count() const noexcept { return entries_.size(); }
  const std::vector<Entry>& Entries() const noexcept { return entries_; }

  Entry Find(std::u16string_view key) const {
    const auto found = positions_.find(FoldCase(key));
    return found == positions_.end() ? Entry() : entries_[found->second];
  }
  Entry At(std::int32_t position) const {
    if (position < 1 || static_cast<std::size_t>(position) > entries_.size()) return Entry();
    return entries_[static_cast<std::size_t>(position - 1)];
  }
  // False when the key is already there.
  bool Add(std::u16string_view key, Entry entry) {
    exists_ = true;
    if (!positions_.try_emplace(FoldCase(key), entries_.size()).second) return false;
    entries_.push_back(std::move(entry));
    return true;
  }
  // False when the key is not there.
  bool Remove(std::u16string_view key) {
    const auto found = positions_.find(FoldCase(key));
    if (found == positions_.end()) return false;
    const std::size_t removed = found->second;
    positions_.erase(found);
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(removed));
    for (auto& [folded, position] : positions_) {
      if (position > removed) --position;
    }
    return true;
  }

 private:
  bool exists_ = false;
  std::vector<Entry> entries_;
  std::unordered_map<std::u16string, std::size_t> positions_;
};

}  // namespace orvulink::platform
