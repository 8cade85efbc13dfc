// Diagnostics for hosts: each try of a gateway exchange, reported to a callback as it starts
// and as it ends, so that a host can show what happens on the wire (a -v switch, a spinner).
// Credentials never reach the callback: the digests and passwords of the command are replaced.
#pragma once

#include <orvulink/export.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>

namespace orvulink {

struct ExchangeTry {
  enum class Stage { kStarted, kFinished };
  Stage stage = Stage::kStarted;
  std::string address;  // the URL the command is POSTed to
  int attempt = 1;      // 1-based; a command is tried up to three times
  // The command, its UID, PWD and VCODE values replaced by "(redacted)"; when started only.
  std::string command;
  // When finished: the HTTP status (0 when no answer came), its reason phrase, the transport's
  // own description of a failure ("" when an answer came), and the time the try took.
  std::int32_t status = 0;
  std::string statusText;
  std::string transportError;
  std::chrono::milliseconds elapsed{0};
  // The connectivity probe that precedes a command while AutomaticProxy is on: the address is
  // the probe page's, there is no command, and statusText gives the verdict ("arrived",
  // "timed out", "navigation error", "cannot navigate").
  bool probe = false;
};

// Called on the thread that makes the exchange, synchronously; it must not call the control.
using DiagnosticsCallback = std::function<void(const ExchangeTry&)>;

// Sets the callback for every thread of the process and returns the previous one; an empty
// callback switches the reports off (they cost nothing then).
ORVULINK_API DiagnosticsCallback SetDiagnosticsCallback(DiagnosticsCallback callback);

}  // namespace orvulink
