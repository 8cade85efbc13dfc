#include "gateway/diagnostics.hpp"

#include "platform/text.hpp"

#include <atomic>
#include <memory>
#include <mutex>

namespace orvulink::gateway {
namespace {

// Set rarely, read on every try: a flag answers the common "no callback" case without a lock.
std::atomic<bool> wanted{false};
std::mutex callbackMutex;
std::shared_ptr<const DiagnosticsCallback> current;

std::shared_ptr<const DiagnosticsCallback> Current() {
  const std::lock_guard lock(callbackMutex);
  return current;
}

}  // namespace

bool DiagnosticsWanted() noexcept {
  return wanted.load(std::memory_order_relaxed);
}

void ReportExchangeTry(const ExchangeTry& report) noexcept {
  if (!DiagnosticsWanted()) return;
  try {
    // A copy of the pointer: the callback may be replaced while it runs on another thread.
    if (const auto callback = Current()) (*callback)(report);
  } catch (...) {
    // A host's failing callback must not change the exchange.
  }
}

std::string RedactedCommand(std::u16string_view command) {
  std::string text = platform::Utf16ToUtf8(command);
  for (const std::string_view field : {"&UID=", "&PWD=", "&VCODE="}) {
    const std::size_t start = text.find(field);
    if (start == std::string::npos) continue;
    const std::size_t value = start + field.size();
    const std::size_t end = std::min(text.find('&', value), text.size());
    text.replace(value, end - value, "(redacted)");
  }
  return text;
}

}  // namespace orvulink::gateway

namespace orvulink {

DiagnosticsCallback SetDiagnosticsCallback(DiagnosticsCallback callback) {
  auto next = callback ? std::make_shared<const DiagnosticsCallback>(std::move(callback)) : nullptr;
  const std::lock_guard lock(gateway::callbackMutex);
  DiagnosticsCallback previous = gateway::current ? *gateway::current : DiagnosticsCallback{};
  gateway::wanted.store(next != nullptr, std::memory_order_relaxed);
  gateway::current = std::move(next);
  return previous;
}

}  // namespace orvulink
