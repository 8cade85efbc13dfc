// Child processes for the end-to-end tests: a program run to completion with its output
// captured, the gateway simulator kept running for one test, and a temporary folder.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orvulink::cli_test {

struct Completed {
  int exit_status = -1;  // -1 when the child did not exit normally
  std::string out;
  std::string err;
};

// Environment changes for a child: a value sets the variable, nothing removes it.
using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

// Runs `program` with `arguments` in `folder`, standard input from /dev/null; waits for it to
// end. The child inherits this process's environment without proxy variables (the tests talk
// to loopback only), with `changes` applied on top.
Completed RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::filesystem::path& folder, const EnvironmentChanges& changes);

// A fresh folder in the temporary directory, removed with everything in it.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// orvulink-gateway on an ephemeral loopback port, stopped (SIGTERM, then reaped) on destruction.
class GatewayProcess {
 public:
  // Starts the program with --listen 127.0.0.1:0 and `arguments`, and waits for the line that
  // names its address. Throws when the simulator ends before printing it.
  GatewayProcess(const std::string& program, const std::vector<std::string>& arguments);
  ~GatewayProcess();
  GatewayProcess(const GatewayProcess&) = delete;
  GatewayProcess& operator=(const GatewayProcess&) = delete;

  int port() const { return port_; }
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  void Stop() noexcept;

  pid_t pid_ = -1;
  int stdout_fd_ = -1;
  int port_ = 0;
};

// A loopback port that nothing listens on: one the kernel handed out and that was freed again.
int ClosedLoopbackPort();

}  // namespace orvulink::cli_test
