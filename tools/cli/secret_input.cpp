#include "secret_input.hpp"

#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "exit_codes.hpp"

namespace orvulink::cli {
namespace {

// Echo off for as long as it lives, back as it was afterwards.
class NoEcho {
 public:
  NoEcho() : active_(tcgetattr(STDIN_FILENO, &saved_) == 0) {
    if (!active_) return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  ~NoEcho() {
    if (active_) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
  }
  NoEcho(const NoEcho&) = delete;
  NoEcho& operator=(const NoEcho&) = delete;

 private:
  termios saved_{};
  bool active_;
};

}  // namespace

std::string ReadSecret(const std::string& name) {
  std::string secret;
  bool read = false;
  if (isatty(STDIN_FILENO) == 1) {
    std::cerr << name << ": " << std::flush;
    const NoEcho quiet;
    read = static_cast<bool>(std::getline(std::cin, secret));
    std::cerr << '\n';
  } else {
    read = static_cast<bool>(std::getline(std::cin, secret));
  }
  if (!read) throw UsageError("no value for " + name + " on standard input");
  if (secret.ends_with('\r')) secret.pop_back();
  return secret;
}

}  // namespace orvulink::cli
