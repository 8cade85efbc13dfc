// The control as a COM object: its dispatch interface, the container's property bag, and its
// (empty) default source interface.
#include "com/control_object.hpp"

#include "com/events.hpp"
#include "com/objects.hpp"
#include "com/persist_bag.hpp"
#include "com/persist_stream.hpp"

#include <ocidl.h>

namespace orvulink::com {
namespace {

class ControlObject final : public DispatchObject<_OrvuLinkActiveX, OrvuLinkActiveX>,
                            public EventContainer,
                            public IPersistPropertyBag,
                            public IPersistStreamInit {
 public:
  explicit ControlObject(std::shared_ptr<OrvuLinkActiveX> core)
      : DispatchObject(std::move(core)), EventContainer(DIID___OrvuLinkActiveX) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return DispatchObject::QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return DispatchObject::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return DispatchObject::Release(); }

  // IPersist, IPersistPropertyBag, IPersistStreamInit: the container's initialize, read and
  // write notifications.
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* out) override {
    if (out == nullptr) return E_POINTER;
    *out = CLSID_OrvuLinkActiveX;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE InitNew() override {
    return Guarded([&] { core_->InitProperties(); });
  }
  HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog* log) override {
    if (bag == nullptr) return E_POINTER;
    return Guarded([&] {
      ContainerPropertyBag adapter(bag, log);
      core_->ReadProperties(adapter);
    });
  }
  HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL, BOOL) override {
    if (bag == nullptr) return E_POINTER;
    return Guarded([&] {
      ContainerPropertyBag adapter(bag, nullptr);
      core_->WriteProperties(adapter);
    });
  }

  HRESULT STDMETHODCALLTYPE IsDirty() override { return S_OK; }  // always worth saving
  HRESULT STDMETHODCALLTYPE Load(IStream* stream) override {
    if (stream == nullptr) return E_POINTER;
    return Guarded([&] { LoadSettings(*core_, *stream); });
  }
  HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL) override {
    if (stream == nullptr) return E_POINTER;
    return Guarded([&] { SaveSettings(*core_, *stream); });
  }
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override {
    if (size == nullptr) return E_POINTER;
    size->QuadPart = 64 * 1024;  // ten settings of automation text, generously
    return S_OK;
  }

  HRESULT STDMETHODCALLTYPE get_LastRespose(BSTR* out) override {
    return Get(out, [&] { return core_->LastRespose(); });
  }
  HRESULT STDMETHODCALLTYPE get_LastRequest(BSTR* out) override {
    return Get(out, [&] { return core_->LastRequest(); });
  }
  HRESULT STDMETHODCALLTYPE get_Version(BSTR* out) override {
    return Get(out, [&] { return core_->Version(); });
  }
  HRESULT STDMETHODCALLTYPE get_ErrDescription(BSTR* out) override {
    return Get(out, [&] { return core_->ErrDescription(); });
  }
  HRESULT STDMETHODCALLTYPE get_ErrCode(short* out) override {
    return Get(out, [&] { return core_->ErrCode(); });
  }
  HRESULT STDMETHODCALLTYPE get_EncryptSSL(VARIANT_BOOL* out) override {
    return Get(out, [&] { return core_->EncryptSSL(); });
  }
  HRESULT STDMETHODCALLTYPE put_EncryptSSL(VARIANT_BOOL value) override {
    return Guarded([&] { core_->EncryptSSL(FromVariantBool(value)); });
  }
  HRESULT STDMETHODCALLTYPE get_TestMode(VARIANT_BOOL* out) override {
    return Get(out, [&] { return core_->TestMode(); });
  }
  HRESULT STDMETHODCALLTYPE put_TestMode(VARIANT_BOOL value) override {
    return Guarded([&] { core_->TestMode(FromVariantBool(value)); });
  }
  HRESULT STDMETHODCALLTYPE get_UserName(BSTR* out) override {
    return Get(out, [&] { return core_->UserName(); });
  }
  HRESULT STDMETHODCALLTYPE put_UserName(BSTR value) override {
    return Guarded([&] { core_->UserName(FromBstr(value)); });
  }
  HRESULT STDMETHODCALLTYPE get_Password(BSTR* out) override {
    return Get(out, [&] { return core_->Password(); });
  }
  HRESULT STDMETHODCALLTYPE put_Password(BSTR value) override {
    return Guarded([&] { core_->Password(FromBstr(value)); });
  }
  HRESULT STDMETHODCALLTYPE get_AutomaticProxy(VARIANT_BOOL* out) override {
    return Get(out, [&] { return core_->AutomaticProxy(); });
  }
  HRESULT STDMETHODCALLTYPE put_AutomaticProxy(VARIANT_BOOL value) override {
    return Guarded([&] { core_->AutomaticProxy(FromVariantBool(value)); });
  }
  HRESULT STDMETHODCALLTYPE get_Proxy(BSTR* out) override {
    return Get(out, [&] { return core_->Proxy(); });
  }
  HRESULT STDMETHODCALLTYPE put_Proxy(BSTR value) override {
    return Guarded([&] { core_->Proxy(FromBstr(value)); });
  }
  HRESULT STDMETHODCALLTYPE get_ProxyPort(BSTR* out) override {
    return Get(out, [&] { return core_->ProxyPort(); });
  }
  HRESULT STDMETHODCALLTYPE put_ProxyPort(BSTR value) override {
    return Guarded([&] { core_->ProxyPort(FromBstr(value)); });
  }
  HRESULT STDMETHODCALLTYPE get_ProxyUsername(BSTR* out) override {
    return Get(out, [&] { return core_->ProxyUsername(); });
  }
  HRESULT STDMETHODCALLTYPE put_ProxyUsername(BSTR value) override {
    return Guarded([&] { core_->ProxyUsername(FromBstr(value)); });
  }
  HRESULT STDMETHODCALLTYPE get_ProxyPassword(BSTR* out) override {
    return Get(out, [&] { return core_->ProxyPassword(); });
  }
  HRESULT STDMETHODCALLTYPE put_ProxyPassword(BSTR value) override {
    return Guarded([&] { core_->ProxyPassword(FromBstr(value)); });
  }
  HRESULT STDMETHODCALLTYPE get_VAPcode(BSTR* out) override {
    return Get(out, [&] { return core_->VAPcode(); });
  }
  HRESULT STDMETHODCALLTYPE put_VAPcode(BSTR value) override {
    return Guarded([&] { core_->VAPcode(FromBstr(value)); });
  }
  HRESULT STDMETHODCALLTYPE get_NotifyServer(short* out) override {
    return Get(out, [&] { return core_->NotifyServer(); });
  }
  HRESULT STDMETHODCALLTYPE get_NotifyUser(short* out) override {
    return Get(out, [&] { return core_->NotifyUser(); });
  }
  HRESULT STDMETHODCALLTYPE get_ForeignCountry(short* out) override {
    return Get(out, [&] { return core_->ForeignCountry(); });
  }
  HRESULT STDMETHODCALLTYPE ShowAboutBox() override {
    return Guarded([&] { core_->ShowAboutBox(); });
  }
  HRESULT STDMETHODCALLTYPE DelMessage(BSTR orderID, BSTR phoneGsm, BSTR* out) override {
    return Get(out, [&] { return core_->DelMessage(FromBstr(orderID), FromBstr(phoneGsm)); });
  }
  HRESULT STDMETHODCALLTYPE GetCredit(double* out) override {
    return Get(out, [&] { return core_->GetCredit(); });
  }
  HRESULT STDMETHODCALLTYPE TestConnection(::OrvuLink_CodeTestConnection* out) override {
    return Get(out, [&] { return core_->TestConnection(); });
  }
  HRESULT STDMETHODCALLTYPE get_MessagesToSend(_OrvuSendMessages** out) override {
    return Get(out, [&] { return core_->MessagesToSend(); });
  }
  HRESULT STDMETHODCALLTYPE get_MessagesToNotify(_OrvuNotifiedMessages** out) override {
    return Get(out, [&] { return core_->MessagesToNotify(); });
  }
  HRESULT STDMETHODCALLTYPE get_ReceptionKeys(_OrvuReceptionKeys** out) override {
    return Get(out, [&] { return core_->ReceptionKeys(); });
  }
  HRESULT STDMETHODCALLTYPE FillReceptionKeys(VARIANT_BOOL* out) override {
    return Get(out, [&] { return core_->FillReceptionKeys(); });
  }

 protected:
  void* QueryMore(REFIID iid) override {
    if (IsEqualIID(iid, IID_IConnectionPointContainer))
      return static_cast<IConnectionPointContainer*>(this);
    if (IsEqualIID(iid, IID_IPersistPropertyBag) || IsEqualIID(iid, IID_IPersist))
      return static_cast<IPersistPropertyBag*>(this);
    if (IsEqualIID(iid, IID_IPersistStreamInit)) return static_cast<IPersistStreamInit*>(this);
    return nullptr;
  }
};

}  // namespace

_OrvuLinkActiveX* ServeObject(const std::shared_ptr<OrvuLinkActiveX>& core) {
  return Serve<ControlObject>(core);
}

_OrvuLinkActiveX* CreateControl() {
  // The core keeps per-thread state until each thread ends; the DLL must outlive it, so once a
  // control exists the module stays loaded.
  HMODULE pinned = nullptr;
  GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                     reinterpret_cast<LPCWSTR>(&CreateControl), &pinned);
  return ServeObject(OrvuLinkActiveX::Create());
}

}  // namespace orvulink::com
