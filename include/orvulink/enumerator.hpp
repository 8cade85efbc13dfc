// The enumerator a list hands out from NewEnum: a snapshot of the list's entries at the moment
// it was asked for, walked with Next, Skip and Reset like an automation enumerator.
#pragma once

#include <orvulink/automation.hpp>

#include <cstddef>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace orvulink {

template <class T>
class Enumerator : public AutomationObject {
 public:
  explicit Enumerator(std::vector<T> items) : items_(std::move(items)) {}

  // The next entry, or nothing at the end.
  std::optional<T> Next() {
    if (position_ >= items_.size()) return std::nullopt;
    return items_[position_++];
  }
  // Skips up to `count` entries; false when fewer were left.
  bool Skip(std::size_t count) {
    const std::size_t left = items_.size() - position_;
    position_ += count < left ? count : left;
    return count <= left;
  }
  void Reset() noexcept { position_ = 0; }
  std::shared_ptr<Enumerator> Clone() const { return std::make_shared<Enumerator>(*this); }

 private:
  std::vector<T> items_;
  std::size_t position_ = 0;
};

}  // namespace orvulink
