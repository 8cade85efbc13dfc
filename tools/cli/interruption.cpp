#include "interruption.hpp"

#include <signal.h>

#include <atomic>

namespace orvulink::cli {
namespace {

std::atomic<int> caught{0};
struct sigaction previousInt {};
struct sigaction previousTerm {};

void OnSignal(int number) {
  caught.store(number);
  // The next one takes the default way: the person means it.
  signal(SIGINT, SIG_DFL);
  signal(SIGTERM, SIG_DFL);
}

}  // namespace

InterruptionGuard::InterruptionGuard() {
  caught.store(0);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;  // a write or read in progress goes on
  sigaction(SIGINT, &action, &previousInt);
  sigaction(SIGTERM, &action, &previousTerm);
}

InterruptionGuard::~InterruptionGuard() {
  sigaction(SIGINT, &previousInt, nullptr);
  sigaction(SIGTERM, &previousTerm, nullptr);
}

bool InterruptionGuard::Requested() {
  return caught.load() != 0;
}

int InterruptionGuard::Signal() {
  return caught.load();
}

}  // namespace orvulink::cli
