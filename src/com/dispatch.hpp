// The base of every COM object of the server: reference counting, identity (one COM object per
// core object, so that VB's `Is` holds), and IDispatch served from the embedded type library
// through ITypeInfo::Invoke on the object's dual interface.
#pragma once

#include "com/com_types.hpp"
#include "orvulink_h.h"

#include <atomic>
#include <memory>

namespace orvulink::com {

// Objects alive and server locks: DllCanUnloadNow answers from them.
std::atomic<long>& ModuleReferences();
HMODULE ThisModule();

// The type information of an interface of the embedded library (AddRef'ed), null if missing.
ITypeInfo* TypeInfoOf(REFGUID guid);

// The COM object already serving `core` on this thread, if any (AddRef'ed).
IUnknown* FindServing(const void* core);
void RegisterServing(const void* core, IUnknown* object);
void UnregisterServing(const void* core);
// True when `object` is one of this server's objects on this thread.
bool IsServing(const IUnknown* object);

template <class Interface, class Core>
class DispatchObject : public Interface, public ISupportErrorInfo {
 public:
  using InterfaceType = Interface;
  using CoreType = Core;

  explicit DispatchObject(std::shared_ptr<Core> core) : core_(std::move(core)) {
    ++ModuleReferences();
    RegisterServing(core_.get(), static_cast<Interface*>(this));
  }
  virtual ~DispatchObject() {
    UnregisterServing(core_.get());
    --ModuleReferences();
  }
  DispatchObject(const DispatchObject&) = delete;
  DispatchObject& operator=(const DispatchObject&) = delete;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
        IsEqualIID(iid, __uuidof(Interface))) {
      *out = static_cast<Interface*>(this);
    } else if (IsEqualIID(iid, IID_ISupportErrorInfo)) {
      *out = static_cast<ISupportErrorInfo*>(this);
    } else {
      *out = QueryMore(iid);
    }
    if (*out == nullptr) return E_NOINTERFACE;
    static_cast<IUnknown*>(*out)->AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    *info = TypeInfoOf(__uuidof(Interface));
    return *info != nullptr ? S_OK : TYPE_E_ELEMENTNOTFOUND;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    ITypeInfo* info = TypeInfoOf(__uuidof(Interface));
    if (info == nullptr) return E_UNEXPECTED;
    const HRESULT result = info->GetIDsOfNames(names, count, ids);
    info->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argError) override {
    ITypeInfo* info = TypeInfoOf(__uuidof(Interface));
    if (info == nullptr) return E_UNEXPECTED;
    const HRESULT outcome =
        info->Invoke(static_cast<Interface*>(this), id, flags, params, result, exception, argError);
    info->Release();
    return outcome;
  }

  // ISupportErrorInfo
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID iid) override {
    return IsEqualIID(iid, __uuidof(Interface)) ? S_OK : S_FALSE;
  }

  const std::shared_ptr<Core>& core() const { return core_; }

 protected:
  // Further interfaces of a class (connection points, persistence); not AddRef'ed.
  virtual void* QueryMore(REFIID) { return nullptr; }

  std::shared_ptr<Core> core_;

 private:
  std::atomic<ULONG> references_{1};
};

// The COM object for `core` (a new reference), the same one for as long as it lives; null for a
// null core.
template <class Object>
typename Object::InterfaceType* Serve(const std::shared_ptr<typename Object::CoreType>& core) {
  if (!core) return nullptr;
  if (IUnknown* existing = FindServing(core.get()))
    return static_cast<typename Object::InterfaceType*>(existing);
  return new Object(core);
}

}  // namespace orvulink::com
