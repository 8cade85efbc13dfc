// The message pump: per thread, like a window message queue. Sources are polled first, then the
// messages already queued are delivered, then the host's hook runs.
#include "platform/pump.hpp"

#include <orvulink/platform.hpp>

#include "platform/reentry.hpp"
#include "platform/suppressed.hpp"
#include "platform/system.hpp"

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

namespace orvulink::platform {
namespace {

struct Source {
  std::function<void()> poll;
  bool removed = false;
  bool polling = false;  // a poll is never re-entered by a pump run from inside it
};

struct Message {
  std::uint64_t sequence;
  std::function<void()> deliver;
};

struct ThreadPump {
  PumpHook hook;
  std::deque<Message> queue;
  std::uint64_t nextSequence = 0;
  std::vector<std::shared_ptr<Source>> sources;
};

ThreadPump& ThisThread() {
  thread_local ThreadPump pump;
  return pump;
}

// Removal only marks the source: the pump may be iterating over the list (or be inside this
// very poll), so the entry leaves the list at the next safe point.
class SourceHandle final : public PumpSource {
 public:
  explicit SourceHandle(std::shared_ptr<Source> source) : source_(std::move(source)) {}
  ~SourceHandle() override {
    source_->removed = true;
    // Release the poll's captures now unless the poll is running (it is destroying us).
    if (!source_->polling) source_->poll = nullptr;
  }
  SourceHandle(const SourceHandle&) = delete;
  SourceHandle& operator=(const SourceHandle&) = delete;

 private:
  std::shared_ptr<Source> source_;
};

void PruneRemovedSources(ThreadPump& pump) {
  std::erase_if(pump.sources, [](const std::shared_ptr<Source>& s) { return s->removed; });
}

void PollSources(ThreadPump& pump) {
  PruneRemovedSources(pump);
  const auto snapshot = pump.sources;  // polls may add or remove sources
  for (const auto& source : snapshot) {
    if (source->removed || source->polling) continue;
    source->polling = true;
    struct Reset {
      Source& s;
      ~Reset() { s.polling = false; }
    } reset{*source};
    source->poll();
  }
  PruneRemovedSources(pump);
}

// Delivers the messages queued before `limit`; a nested pump inside a handler may take some of
// them first, which is why each one is taken off the queue before it runs.
void DeliverQueued(ThreadPump& pump, std::uint64_t limit) {
  while (!pump.queue.empty() && pump.queue.front().sequence < limit) {
    auto deliver = std::move(pump.queue.front().deliver);
    pump.queue.pop_front();
    deliver();
  }
}

}  // namespace

PumpHook SetMessagePump(PumpHook hook) {
  return std::exchange(ThisThread().hook, std::move(hook));
}

void PumpMessages() {
  ThreadPump& pump = ThisThread();
  PollSources(pump);
  DeliverQueued(pump, pump.nextSequence);
  system::DispatchThreadMessages();
  // A copy, so that a hook replacing itself does not destroy the function that is running.
  if (auto hook = pump.hook) AsHostCode(hook);
}

void PumpIgnoringHostErrors() noexcept {
  Suppressed([] { PumpMessages(); });
}

void PostThreadMessage(std::function<void()> message) {
  if (!message) return;
  ThreadPump& pump = ThisThread();
  pump.queue.push_back(Message{pump.nextSequence++, std::move(message)});
}

std::unique_ptr<PumpSource> AddPumpSource(std::function<void()> poll) {
  ThreadPump& pump = ThisThread();
  PruneRemovedSources(pump);
  auto source = std::make_shared<Source>();
  source->poll = std::move(poll);
  if (!source->poll)
    source->removed = true;
  else
    pump.sources.push_back(source);
  return std::make_unique<SourceHandle>(std::move(source));
}

}  // namespace orvulink::platform
