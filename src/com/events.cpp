// One connection point per event interface, with the sinks in the order they connected.
#include "com/events.hpp"
#include "com/single_interface.hpp"

#include <olectl.h>

#include <algorithm>

namespace orvulink::com {

class ConnectionPoint final : public SingleInterface<IConnectionPoint> {
 public:
  ConnectionPoint(IConnectionPointContainer* container, REFIID events)
      : container_(container), events_(events) {}

  void Detach() {
    container_ = nullptr;
    for (const Sink& sink : sinks_)
      sink.dispatch->Release();
    sinks_.clear();
  }

  void Fire(DISPID id, std::int32_t value) {
    // A handler may connect or disconnect sinks: the firing runs over a copy.
    std::vector<IDispatch*> snapshot;
    for (const Sink& sink : sinks_) {
      sink.dispatch->AddRef();
      snapshot.push_back(sink.dispatch);
    }
    for (IDispatch* sink : snapshot) {
      LONG argument = value;  // a fresh variable for every sink
      VARIANT byRef;
      VariantInit(&byRef);
      V_VT(&byRef) = VT_I4 | VT_BYREF;
      V_I4REF(&byRef) = &argument;
      DISPPARAMS params{&byRef, nullptr, 1, 0};
      sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr,
                   nullptr);
      sink->Release();
    }
  }

  HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override {
    if (iid == nullptr) return E_POINTER;
    *iid = events_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** out) override {
    if (out == nullptr) return E_POINTER;
    *out = container_;
    if (container_ == nullptr) return E_UNEXPECTED;
    container_->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override {
    if (sink == nullptr || cookie == nullptr) return E_POINTER;
    IDispatch* dispatch = nullptr;
    if (FAILED(sink->QueryInterface(events_, reinterpret_cast<void**>(&dispatch))) &&
        FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)))) {
      return CONNECT_E_CANNOTCONNECT;
    }
    *cookie = ++lastCookie_;
    sinks_.push_back(Sink{*cookie, dispatch});
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override {
    const auto found = std::find_if(sinks_.begin(), sinks_.end(),
                                    [&](const Sink& sink) { return sink.cookie == cookie; });
    if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
    IDispatch* dispatch = found->dispatch;
    sinks_.erase(found);
    dispatch->Release();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** out) override {
    if (out != nullptr) *out = nullptr;
    return E_NOTIMPL;
  }

 private:
  struct Sink {
    DWORD cookie;
    IDispatch* dispatch;
  };

  IConnectionPointContainer* container_;
  IID events_;
  std::vector<Sink> sinks_;
  DWORD lastCookie_ = 0;
};

EventContainer::EventContainer(REFIID events) : point_(new ConnectionPoint(this, events)) {}

EventContainer::~EventContainer() {
  point_->Detach();
  point_->Release();
}

HRESULT EventContainer::EnumConnectionPoints(IEnumConnectionPoints** out) {
  if (out != nullptr) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT EventContainer::FindConnectionPoint(REFIID iid, IConnectionPoint** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  IID events{};
  point_->GetConnectionInterface(&events);
  if (!IsEqualIID(iid, events)) return CONNECT_E_NOCONNECTION;
  *out = point_;
  point_->AddRef();
  return S_OK;
}

void EventContainer::FireWithLongByRef(DISPID id, std::int32_t value) {
  point_->Fire(id, value);
}

}  // namespace orvulink::com
