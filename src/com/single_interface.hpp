// IUnknown for a helper object that offers one interface (an enumerator, a connection point):
// counted references from one, deleted at zero.
#pragma once

#include "com/com_types.hpp"

#include <atomic>

namespace orvulink::com {

template <class Interface>
class SingleInterface : public Interface {
 public:
  SingleInterface() = default;
  SingleInterface(const SingleInterface&) = delete;
  SingleInterface& operator=(const SingleInterface&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, __uuidof(Interface)))
      return E_NOINTERFACE;
    *out = static_cast<Interface*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~SingleInterface() = default;

 private:
  std::atomic<ULONG> references_{1};
};

}  // namespace orvulink::com
