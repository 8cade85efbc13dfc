// Objects whose constructor only a friend may call, made with their share count in one
// allocation as std::make_shared would (which cannot reach the constructor).
#pragma once

#include <memory>

namespace orvulink::platform {

// `Maker` is the friend: it provides `template <class U> static void Construct(U* at)`.
template <class T, class Maker>
struct InPlaceAllocator : std::allocator<T> {
  template <class U>
  struct rebind {
    using other = InPlaceAllocator<U, Maker>;
  };
  InPlaceAllocator() = default;
  template <class U>
  InPlaceAllocator(const InPlaceAllocator<U, Maker>&) noexcept {}  // NOLINT: rebinding
  template <class U>
  void construct(U* at) {
    Maker::Construct(at);
  }
};

template <class T, class Maker>
std::shared_ptr<T> MakeShared() {
  return std::allocate_shared<T>(InPlaceAllocator<T, Maker>());
}

}  // namespace orvulink::platform
