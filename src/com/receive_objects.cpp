// Reception keys and the messages received on them as COM objects.
#include "com/list_members.hpp"
#include "com/objects.hpp"

namespace orvulink::com {
namespace {

class ReceivedMessageObject final
    : public DispatchObject<_OrvuReceivedMessage, OrvuReceivedMessage> {
 public:
  using DispatchObject::DispatchObject;

  HRESULT STDMETHODCALLTYPE get_PhoneGsm(BSTR* out) override {
    return Get(out, [&] { return core_->PhoneGsm(); });
  }
  HRESULT STDMETHODCALLTYPE get_DateTime(DATE* out) override {
    return Get(out, [&] { return core_->DateTime(); });
  }
  HRESULT STDMETHODCALLTYPE get_Text(BSTR* out) override {
    return Get(out, [&] { return core_->Text(); });
  }
};

class ReceivedMessagesObject final
    : public ListMembers<DispatchObject<_OrvuReceivedMessages, OrvuReceivedMessages>,
                         _OrvuReceivedMessage*> {
 public:
  using ListMembers::ListMembers;
};

class ReceptionKeyObject final : public DispatchObject<_OrvuReceptionKey, OrvuReceptionKey> {
 public:
  using DispatchObject::DispatchObject;

  HRESULT STDMETHODCALLTYPE get_MessageFromRecive(short* out) override {
    return Get(out, [&] { return core_->MessageFromRecive(); });
  }
  HRESULT STDMETHODCALLTYPE get_ReceivedMessages(_OrvuReceivedMessages** out) override {
    return Get(out, [&] { return core_->ReceivedMessages(); });
  }
  HRESULT STDMETHODCALLTYPE get_TextAutoResponder(BSTR* out) override {
    return Get(out, [&] { return core_->TextAutoResponder(); });
  }
  HRESULT STDMETHODCALLTYPE get_KeyReceived(BSTR* out) override {
    return Get(out, [&] { return core_->KeyReceived(); });
  }
  HRESULT STDMETHODCALLTYPE GetIncomingMessages(VARIANT_BOOL* out) override {
    return Get(out, [&] { return core_->GetIncomingMessages(); });
  }
  HRESULT STDMETHODCALLTYPE Update(VARIANT_BOOL* out) override {
    return Get(out, [&] { return core_->Update(); });
  }
  HRESULT STDMETHODCALLTYPE SetAutoResponder(BSTR text, VARIANT_BOOL* out) override {
    return Get(out, [&] { return core_->SetAutoResponder(FromBstr(text)); });
  }
};

class ReceptionKeysObject final
    : public ListMembers<DispatchObject<_OrvuReceptionKeys, OrvuReceptionKeys>,
                         _OrvuReceptionKey*> {
 public:
  using ListMembers::ListMembers;

  HRESULT STDMETHODCALLTYPE get_ItemReceptionKey(BSTR key, _OrvuReceptionKey** out) override {
    return Get(out, [&] { return core_->ItemReceptionKey(FromBstr(key)); });
  }
};

}  // namespace

_OrvuReceivedMessage* ServeObject(const std::shared_ptr<OrvuReceivedMessage>& core) {
  return Serve<ReceivedMessageObject>(core);
}
_OrvuReceivedMessages* ServeObject(const std::shared_ptr<OrvuReceivedMessages>& core) {
  return Serve<ReceivedMessagesObject>(core);
}
_OrvuReceptionKey* ServeObject(const std::shared_ptr<OrvuReceptionKey>& core) {
  return Serve<ReceptionKeyObject>(core);
}
_OrvuReceptionKeys* ServeObject(const std::shared_ptr<OrvuReceptionKeys>& core) {
  return Serve<ReceptionKeysObject>(core);
}

}  // namespace orvulink::com
