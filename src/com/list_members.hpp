// The members every list interface has: Item, Count and the enumerator behind For Each, served
// once for all the lists. `Base` is the list's COM base (DispatchObject, or ProgressSource for a
// list with a progress event); `ItemOut` is the out type of its Item.
#pragma once

#include "com/objects.hpp"

namespace orvulink::com {

template <class Base, class ItemOut>
class ListMembers : public Base {
 public:
  using Base::Base;

  HRESULT STDMETHODCALLTYPE get_Item(short index, ItemOut* out) override {
    return Get(out, [&] { return this->core_->Item(index); });
  }
  HRESULT STDMETHODCALLTYPE get_Count(short* out) override {
    return Get(out, [&] { return this->core_->Count(); });
  }
  HRESULT STDMETHODCALLTYPE NewEnum(IUnknown** out) override {
    return NewEnumOf(*this->core_, out);
  }
};

}  // namespace orvulink::com
