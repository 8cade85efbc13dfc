// The events of a probe browser's navigations, delivered through this thread's pump. What was
// posted for a navigation is dropped when the browser is gone, or has been stopped or navigated
// again, by the time the pump delivers it - even when a handler destroys the browser.
#pragma once

#include <orvulink/platform.hpp>

#include <cstdint>
#include <memory>

namespace orvulink::platform {

class ProbeEventQueue {
 public:
  ProbeEventQueue();

  void SetEvents(ProbeBrowserEvents events);
  // What was posted before is dropped: a stop, a new navigation, the browser's end.
  void Forget();

  void Progress(std::int32_t value, std::int32_t max);
  // The end of a navigation: its transport failure (a browser's internet status, 0 for none),
  // else its HTTP status (outside 200-399 an error).
  void Finished(const BStr& url, std::int32_t transportFailure, std::int32_t httpStatus);

 private:
  struct Shared {
    ProbeBrowserEvents events;
    std::uint64_t navigation = 0;
  };
  template <class Fire>
  void Post(Fire fire);

  std::shared_ptr<Shared> shared_;
};

}  // namespace orvulink::platform
