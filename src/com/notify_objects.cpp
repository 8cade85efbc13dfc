// The status-query list, its order IDs and their recipients as COM objects.
#include "com/list_members.hpp"
#include "com/objects.hpp"
#include "com/progress_source.hpp"

namespace orvulink::com {
namespace {

class NotifiedMessageObject final
    : public DispatchObject<_OrvuNotifiedMessage, OrvuNotifiedMessage> {
 public:
  using DispatchObject::DispatchObject;

  HRESULT STDMETHODCALLTYPE get_PhoneGsm(BSTR* out) override {
    return Get(out, [&] { return core_->PhoneGsm(); });
  }
  HRESULT STDMETHODCALLTYPE get_DateTime(DATE* out) override {
    return Get(out, [&] { return core_->DateTime(); });
  }
  HRESULT STDMETHODCALLTYPE get_ReasonCode(::OrvuLink_CodeReason* out) override {
    return Get(out, [&] { return core_->ReasonCode(); });
  }
  HRESULT STDMETHODCALLTYPE get_Status(::OrvuLink_StateNotify* out) override {
    return Get(out, [&] { return core_->Status(); });
  }
};

class NotifiedOrderIDObject final
    : public ListMembers<DispatchObject<_OrvuNotifiedOrderID, OrvuNotifiedOrderID>,
                         _OrvuNotifiedMessage*> {
 public:
  using ListMembers::ListMembers;

  HRESULT STDMETHODCALLTYPE get_ItemPhone(BSTR phone, _OrvuNotifiedMessage** out) override {
    return Get(out, [&] { return core_->ItemPhone(FromBstr(phone)); });
  }
  HRESULT STDMETHODCALLTYPE get_OrderID(BSTR* out) override {
    return Get(out, [&] { return core_->OrderID(); });
  }
  HRESULT STDMETHODCALLTYPE get_Status(::OrvuLink_StateOrederID* out) override {
    return Get(out, [&] { return core_->Status(); });
  }
};

// The status-query list sources ProgresNotify.
class NotifyListObject final
    : public ListMembers<ProgressSource<_OrvuNotifiedMessages, OrvuNotifiedMessages>,
                         _OrvuNotifiedOrderID*> {
 public:
  explicit NotifyListObject(std::shared_ptr<OrvuNotifiedMessages> core)
      : ListMembers(std::move(core), &OrvuNotifiedMessages::ProgresNotify,
                    DIID___OrvuNotifiedMessages) {}

  HRESULT STDMETHODCALLTYPE get_ItemOrderID(BSTR orderID, _OrvuNotifiedOrderID** out) override {
    return Get(out, [&] { return core_->ItemOrderID(FromBstr(orderID)); });
  }
  HRESULT STDMETHODCALLTYPE Clear() override {
    return Guarded([&] { core_->Clear(); });
  }
  HRESULT STDMETHODCALLTYPE get_AutoNotify(VARIANT_BOOL* out) override {
    return Get(out, [&] { return core_->AutoNotify(); });
  }
  HRESULT STDMETHODCALLTYPE put_AutoNotify(VARIANT_BOOL value) override {
    return Guarded([&] { core_->AutoNotify(FromVariantBool(value)); });
  }
  HRESULT STDMETHODCALLTYPE get_MaxListToNotify(short* out) override {
    return Get(out, [&] { return core_->MaxListToNotify(); });
  }
  HRESULT STDMETHODCALLTYPE put_MaxListToNotify(short value) override {
    return Guarded([&] { core_->MaxListToNotify(value); });
  }
  HRESULT STDMETHODCALLTYPE AddMessage(BSTR orderID, BSTR phoneGsm, VARIANT_BOOL* out) override {
    return Get(out, [&] { return core_->AddMessage(FromBstr(orderID), FromBstr(phoneGsm)); });
  }
  HRESULT STDMETHODCALLTYPE GetStatusNotify(VARIANT_BOOL* out) override {
    return Get(out, [&] { return core_->GetStatusNotify(); });
  }
  HRESULT STDMETHODCALLTYPE RemoveMessage(BSTR orderID, BSTR phoneGsm, VARIANT_BOOL* out) override {
    return Get(out, [&] { return core_->RemoveMessage(FromBstr(orderID), FromBstr(phoneGsm)); });
  }
};

}  // namespace

_OrvuNotifiedMessage* ServeObject(const std::shared_ptr<OrvuNotifiedMessage>& core) {
  return Serve<NotifiedMessageObject>(core);
}
_OrvuNotifiedOrderID* ServeObject(const std::shared_ptr<OrvuNotifiedOrderID>& core) {
  return Serve<NotifiedOrderIDObject>(core);
}
_OrvuNotifiedMessages* ServeObject(const std::shared_ptr<OrvuNotifiedMessages>& core) {
  return Serve<NotifyListObject>(core);
}

}  // namespace orvulink::com
