// A list that sources its progress event (ProgresSend, ProgresNotify) through a connection
// point; the bridge from the core's event lives as long as the COM object.
#pragma once

#include "com/dispatch.hpp"
#include "com/events.hpp"

#include <memory>
#include <utility>

namespace orvulink::com {

template <class Interface, class Core>
class ProgressSource : public DispatchObject<Interface, Core>, public EventContainer {
 public:
  using ProgressEvent = Event<OrvuLink_CodeProgress&>;

  ProgressSource(std::shared_ptr<Core> core, ProgressEvent Core::*event, REFIID events)
      : DispatchObject<Interface, Core>(std::move(core)), EventContainer(events) {
    progress_ = ((*this->core_).*event).Connect([this](OrvuLink_CodeProgress& step) {
      FireWithLongByRef(1, step);
    });
  }

  // One identity for both bases.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    return DispatchObject<Interface, Core>::QueryInterface(iid, out);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return DispatchObject<Interface, Core>::AddRef(); }
  ULONG STDMETHODCALLTYPE Release() override { return DispatchObject<Interface, Core>::Release(); }

 protected:
  void* QueryMore(REFIID iid) override {
    if (IsEqualIID(iid, IID_IConnectionPointContainer))
      return static_cast<IConnectionPointContainer*>(this);
    return nullptr;
  }

 private:
  typename ProgressEvent::Connection progress_;
};

}  // namespace orvulink::com
