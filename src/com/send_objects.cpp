// The send list, its messages and their order IDs as COM objects.
#include "com/group_recipients.hpp"
#include "com/list_members.hpp"
#include "com/objects.hpp"
#include "com/progress_source.hpp"

namespace orvulink::com {
namespace {

class SendOrderIDObject final
    : public ListMembers<DispatchObject<_OrvuSendOrderID, OrvuSendOrderID>, BSTR> {
 public:
  using ListMembers::ListMembers;
};

class SendMessageObject final : public DispatchObject<_OrvuSendMessage, OrvuSendMessage> {
 public:
  using DispatchObject::DispatchObject;

  HRESULT STDMETHODCALLTYPE get_OrderID(_OrvuSendOrderID** out) override {
    return Get(out, [&] { return core_->OrderID(); });
  }
  HRESULT STDMETHODCALLTYPE get_NumSMS(short* out) override {
    return Get(out, [&] { return core_->NumSMS(); });
  }
  HRESULT STDMETHODCALLTYPE get_Status(::OrvuLink_StatusMessage* out) override {
    return Get(out, [&] { return core_->Status(); });
  }
  HRESULT STDMETHODCALLTYPE get_PhoneGsm(BSTR* out) override {
    return Get(out, [&] { return core_->PhoneGsm(); });
  }
  HRESULT STDMETHODCALLTYPE get_Text(BSTR* out) override {
    return Get(out, [&] { return core_->Text(); });
  }
  HRESULT STDMETHODCALLTYPE get_DateTime(DATE* out) override {
    return Get(out, [&] { return core_->DateTime(); });
  }
  HRESULT STDMETHODCALLTYPE get_Sender(BSTR* out) override {
    return Get(out, [&] { return core_->Sender(); });
  }
};

// The send list sources ProgresSend; the bridge lives as long as the COM object.
class SendListObject final
    : public ListMembers<ProgressSource<_OrvuSendMessages, OrvuSendMessages>, _OrvuSendMessage*> {
 public:
  explicit SendListObject(std::shared_ptr<OrvuSendMessages> core)
      : ListMembers(std::move(core), &OrvuSendMessages::ProgresSend, DIID___OrvuSendMessages) {}

  HRESULT STDMETHODCALLTYPE get_CountMessageForward(short* out) override {
    return Get(out, [&] { return core_->CountMessageForward(); });
  }
  HRESULT STDMETHODCALLTYPE get_CountMessageError(short* out) override {
    return Get(out, [&] { return core_->CountMessageError(); });
  }
  HRESULT STDMETHODCALLTYPE get_CountMessageToSend(short* out) override {
    return Get(out, [&] { return core_->CountMessageToSend(); });
  }
  HRESULT STDMETHODCALLTYPE RemoveMessage(_OrvuSendMessage** message, VARIANT_BOOL* out) override {
    return Get(out, [&] {
      std::shared_ptr<OrvuSendMessage> core = CoreOf(message);
      return core_->RemoveMessage(core);
    });
  }
  HRESULT STDMETHODCALLTYPE AddGroupMessage(VARIANT* phoneGsm, BSTR messageText, BSTR sender,
                                            VARIANT dateTime, VARIANT_BOOL* out) override {
    return Get(out, [&] {
      Collection recipients = GroupRecipients(phoneGsm);
      return core_->AddGroupMessage(recipients, FromBstr(messageText), FromBstr(sender),
                                    OptionalDate(dateTime));
    });
  }
  HRESULT STDMETHODCALLTYPE AddMessage(BSTR phoneGsm, BSTR messageText, BSTR sender,
                                       VARIANT dateTime, VARIANT_BOOL* out) override {
    return Get(out, [&] {
      return core_->AddMessage(FromBstr(phoneGsm), FromBstr(messageText), FromBstr(sender),
                               OptionalDate(dateTime));
    });
  }
  HRESULT STDMETHODCALLTYPE Clear() override {
    return Guarded([&] { core_->Clear(); });
  }
  HRESULT STDMETHODCALLTYPE SendMessage(VARIANT_BOOL* out) override {
    return Get(out, [&] { return core_->SendMessage(); });
  }
  HRESULT STDMETHODCALLTYPE get_AutoSend(VARIANT_BOOL* out) override {
    return Get(out, [&] { return core_->AutoSend(); });
  }
  HRESULT STDMETHODCALLTYPE put_AutoSend(VARIANT_BOOL value) override {
    return Guarded([&] { core_->AutoSend(FromVariantBool(value)); });
  }
  HRESULT STDMETHODCALLTYPE get_MaxListToSend(short* out) override {
    return Get(out, [&] { return core_->MaxListToSend(); });
  }
  HRESULT STDMETHODCALLTYPE put_MaxListToSend(short value) override {
    return Guarded([&] { core_->MaxListToSend(value); });
  }

 private:
  // The core message behind a message object of this server; null for anything else.
  static std::shared_ptr<OrvuSendMessage> CoreOf(_OrvuSendMessage** message) {
    if (message == nullptr || *message == nullptr || !IsServing(*message)) return nullptr;
    return static_cast<SendMessageObject*>(*message)->core();
  }
};

}  // namespace

_OrvuSendOrderID* ServeObject(const std::shared_ptr<OrvuSendOrderID>& core) {
  return Serve<SendOrderIDObject>(core);
}
_OrvuSendMessage* ServeObject(const std::shared_ptr<OrvuSendMessage>& core) {
  return Serve<SendMessageObject>(core);
}
_OrvuSendMessages* ServeObject(const std::shared_ptr<OrvuSendMessages>& core) {
  return Serve<SendListObject>(core);
}

}  // namespace orvulink::com
