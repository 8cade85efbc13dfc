// The keyed list the component's lists are built on: entries in the order added, 1-based
// positions, text keys compared without regard to letter case, a store that exists only from
// its creation to its release. Lookups are by hash, not by walking the entries, once the list
// is longer than a few entries: most lists (the recipients of one order ID) hold one or two, and
// for those the keys are kept as given and compared in place, without an index to build.
// A list whose key is a field of its entries (KeyOf) keeps no copy of the short lists' keys:
// it reads them from the entries.
#pragma once

#include "platform/text.hpp"

#include <cstddef>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>
#include <vector>

namespace orvulink::platform {

// No key in the entries: the list keeps the keys given.
struct KeptKeys {};

template <class Entry,             // a std::shared_ptr: null is "not found"
          class KeyOf = KeptKeys>  // KeyOf()(entry): the key the entry was added under
class KeyedList {
 public:
  bool Exists() const noexcept { return exists_; }
  void Create() noexcept { exists_ = true; }
  // Removes every entry and drops the store.
  void Release() {
    entries_.clear();
    keys_.clear();
    positions_.clear();
    exists_ = false;
  }

  std::size_t Count() const noexcept { return entries_.size(); }
  const std::vector<Entry>& Entries() const noexcept { return entries_; }

  Entry Find(std::u16string_view key) const {
    const std::size_t position = PositionOf(key);
    return position == kNone ? Entry() : entries_[position];
  }
  Entry At(std::int32_t position) const {
    if (position < 1 || static_cast<std::size_t>(position) > entries_.size()) return Entry();
    return entries_[static_cast<std::size_t>(position - 1)];
  }
  // False when the key is already there.
  bool Add(std::u16string_view key, Entry entry) {
    exists_ = true;
    if (Indexed()) {
      if (!positions_.try_emplace(FoldCase(key), entries_.size()).second) return false;
    } else {
      if (PositionOf(key) != kNone) return false;
      if constexpr (kKeepsKeys) keys_.emplace_back(key);
    }
    entries_.push_back(std::move(entry));
    if (!Indexed() && entries_.size() > kUnindexed) BuildIndex();
    return true;
  }
  // False when the key is not there.
  bool Remove(std::u16string_view key) {
    const std::size_t removed = PositionOf(key);
    if (removed == kNone) return false;
    entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(removed));
    if (!Indexed()) {
      if constexpr (kKeepsKeys) keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(removed));
      return true;
    }
    positions_.erase(FoldCase(key));
    for (auto& [folded, position] : positions_) {
      if (position > removed) --position;
    }
    return true;
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  // Up to this many entries, a walk over the keys costs less than hashing one.
  static constexpr std::size_t kUnindexed = 8;
  static constexpr bool kKeepsKeys = std::is_same_v<KeyOf, KeptKeys>;

  // Once indexed, a list stays indexed until it is released.
  bool Indexed() const noexcept { return !positions_.empty(); }

  std::size_t PositionOf(std::u16string_view key) const {
    if (Indexed()) {
      const auto found = positions_.find(FoldCase(key));
      return found == positions_.end() ? kNone : found->second;
    }
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (EqualFolded(KeyAt(i), key)) return i;
    }
    return kNone;
  }
  std::u16string_view KeyAt(std::size_t i) const {
    if constexpr (kKeepsKeys) {
      return keys_[i];
    } else {
      return KeyOf()(*entries_[i]);
    }
  }
  void BuildIndex() {
    positions_.reserve(entries_.size());
    for (std::size_t i = 0; i < entries_.size(); ++i)
      positions_.try_emplace(FoldCase(KeyAt(i)), i);
    keys_.clear();
    keys_.shrink_to_fit();
  }

  bool exists_ = false;
  std::vector<Entry> entries_;
  std::vector<std::u16string> keys_;  // as given, while the list is not indexed; with KeptKeys
  std::unordered_map<std::u16string, std::size_t> positions_;
};

}  // namespace orvulink::platform
