#include "platform/probe_events.hpp"

#include "platform/probe_errors.hpp"
#include "platform/pump.hpp"

#include <utility>

namespace orvulink::platform {

ProbeEventQueue::ProbeEventQueue() : shared_(std::make_shared<Shared>()) {}

void ProbeEventQueue::SetEvents(ProbeBrowserEvents events) {
  shared_->events = std::move(events);
}

void ProbeEventQueue::Forget() {
  ++shared_->navigation;
}

template <class Fire>
void ProbeEventQueue::Post(Fire fire) {
  PostThreadMessage([weak = std::weak_ptr<Shared>(shared_), navigation = shared_->navigation,
                     fire = std::move(fire)] {
    const auto shared = weak.lock();
    if (!shared || shared->navigation != navigation) return;
    // A copy: the handler may replace the events or destroy the browser while it runs.
    const ProbeBrowserEvents events = shared->events;
    fire(events);
  });
}

void ProbeEventQueue::Progress(std::int32_t value, std::int32_t max) {
  Post([value, max](const ProbeBrowserEvents& events) {
    if (events.ProgressChange) events.ProgressChange(value, max);
  });
}

void ProbeEventQueue::Finished(const BStr& url, std::int32_t transportFailure,
                               std::int32_t httpStatus) {
  const bool failed = transportFailure != 0 || httpStatus < 200 || httpStatus >= 400;
  const std::int32_t status = transportFailure != 0 ? transportFailure
                              : httpStatus > 0      ? httpStatus
                                                    : kInetDownloadFailure;
  Post([url, failed, status](const ProbeBrowserEvents& events) {
    if (failed && events.NavigateError) events.NavigateError(url, status);
    if (!failed && events.NavigateComplete2) events.NavigateComplete2(url);
  });
}

}  // namespace orvulink::platform
