#include "exchange_trace.hpp"

#include <unistd.h>

#include <orvulink/diagnostics.hpp>

#include <array>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace orvulink::cli {
namespace {

using namespace std::chrono_literals;

constexpr std::size_t kShownCommand = 160;  // a send's command holds every message

void WriteErr(const std::string& text) {
  std::string_view rest = text;
  while (!rest.empty()) {
    const ssize_t written = ::write(STDERR_FILENO, rest.data(), rest.size());
    if (written <= 0) return;  // nothing more can be done about a closed stderr
    rest.remove_prefix(static_cast<std::size_t>(written));
  }
}

// The probe has no command and no HTTP status of its own, only its verdict.
std::string Probe(const ExchangeTry& report) {
  if (report.stage == ExchangeTry::Stage::kStarted) return "> probe: GET " + report.address + "\n";
  std::string line = "< probe: " + report.statusText;
  if (!report.transportError.empty()) line += ": " + report.transportError;
  return line + " (" + std::to_string(report.elapsed.count()) + " ms)\n";
}

std::string Started(const ExchangeTry& report) {
  std::string command = report.command.substr(0, kShownCommand);
  if (report.command.size() > kShownCommand) {
    command += "... (" + std::to_string(report.command.size()) + " bytes)";
  }
  return "> try " + std::to_string(report.attempt) + ": POST " + report.address + " " + command +
         "\n";
}

std::string Finished(const ExchangeTry& report) {
  std::string line = "< try " + std::to_string(report.attempt) + ": ";
  if (!report.transportError.empty()) {
    line += "no answer: " + report.transportError;
  } else {
    line += "HTTP " + std::to_string(report.status) + " " + report.statusText;
  }
  return line + " (" + std::to_string(report.elapsed.count()) + " ms)\n";
}

}  // namespace

// Draws from its own thread while the command's thread waits inside the component, and clears
// its line before that thread goes on, so the two never write at once.
class ExchangeTrace::Spinner {
 public:
  Spinner() : thread_([this] { Run(); }) {}
  ~Spinner() {
    {
      const std::lock_guard lock(mutex_);
      quit_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }
  Spinner(const Spinner&) = delete;
  Spinner& operator=(const Spinner&) = delete;

  void Start(int attempt) {
    const std::lock_guard lock(mutex_);
    attempt_ = attempt;
    started_ = std::chrono::steady_clock::now();
    waiting_ = true;
    wake_.notify_all();
  }
  void Stop() {
    std::unique_lock lock(mutex_);
    waiting_ = false;
    wake_.notify_all();
    done_.wait(lock, [this] { return !drawn_; });
  }

 private:
  void Run() {
    static constexpr std::array<std::string_view, 4> kFrames = {"|", "/", "-", "\\"};
    std::unique_lock lock(mutex_);
    for (std::size_t frame = 0; !quit_; ++frame) {
      wake_.wait_for(lock, 120ms);
      const auto waited = std::chrono::steady_clock::now() - started_;
      if (waiting_ && waited >= 1s) {
        WriteErr("\r\033[K" + std::string(kFrames[frame % kFrames.size()]) +
                 " waiting for the gateway (try " + std::to_string(attempt_) + ", " +
                 std::to_string(std::chrono::duration_cast<std::chrono::seconds>(waited).count()) +
                 " s)");
        drawn_ = true;
      } else if (!waiting_ && drawn_) {
        WriteErr("\r\033[K");
        drawn_ = false;
      }
      done_.notify_all();
    }
    if (drawn_) WriteErr("\r\033[K");
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable done_;
  bool quit_ = false;
  bool waiting_ = false;
  bool drawn_ = false;
  int attempt_ = 0;
  std::chrono::steady_clock::time_point started_;
  std::thread thread_;
};

ExchangeTrace::ExchangeTrace(bool verbose, bool spinner, std::ostream& err) {
  if (!verbose && !spinner) return;
  if (spinner && !verbose) spinner_ = std::make_unique<Spinner>();
  Spinner* drawing = spinner_.get();
  err.flush();
  SetDiagnosticsCallback([verbose, drawing](const ExchangeTry& report) {
    const bool started = report.stage == ExchangeTry::Stage::kStarted;
    if (verbose)
      WriteErr(report.probe ? Probe(report) : started ? Started(report) : Finished(report));
    if (drawing == nullptr) return;
    if (started) {
      drawing->Start(report.attempt);
    } else {
      drawing->Stop();
    }
  });
  installed_ = true;
}

ExchangeTrace::~ExchangeTrace() {
  if (installed_) SetDiagnosticsCallback(nullptr);
}

}  // namespace orvulink::cli
