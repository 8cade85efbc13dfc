// Events through connection points: an object that sources events derives from EventContainer,
// which offers one connection point for its event interface and fires to every connected sink.
#pragma once

#include "com/com_types.hpp"

#include <atomic>
#include <cstdint>
#include <vector>

namespace orvulink::com {

class ConnectionPoint;

class EventContainer : public IConnectionPointContainer {
 public:
  explicit EventContainer(REFIID events);
  virtual ~EventContainer();
  EventContainer(const EventContainer&) = delete;
  EventContainer& operator=(const EventContainer&) = delete;

  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** out) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID iid, IConnectionPoint** out) override;

 protected:
  // Calls `id` on every sink with one Long passed by reference; what a sink writes back is
  // ignored. A sink's failure does not stop the others.
  void FireWithLongByRef(DISPID id, std::int32_t value);

 private:
  ConnectionPoint* point_;
};

}  // namespace orvulink::com
