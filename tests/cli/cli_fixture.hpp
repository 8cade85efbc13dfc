// orvulink and the gateway simulator run as child processes: orvulink to completion on a
// settings file of the test's own, the simulator (HTTPS, its own CA) for a test or a suite.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace orvulink::cli_test {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
  std::ostringstream text;
  text << std::ifstream(path, std::ios::binary).rdbuf();
  return text.str();
}
inline void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

struct Completed {
  int exit_status = -1;  // -1 when the child did not exit normally
  std::string out, err;
};
// Starts a program in `folder`, in this process's environment, with stdin from /dev/null and
// stdout/stderr into files.
inline pid_t Spawn(std::vector<std::string> arguments, const fs::path& folder, const fs::path& out,
                   const fs::path& err) {
  std::vector<char*> argv;
  for (auto& argument : arguments)
    argv.push_back(argument.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  pid_t pid = -1;
  const int error = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (error != 0) throw std::runtime_error("cannot start " + arguments[0]);
  return pid;
}

inline int Reap(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline Completed RunProgram(const std::vector<std::string>& arguments, const fs::path& folder) {
  static std::atomic<int> next = 0;
  const std::string stem = (folder / ("run" + std::to_string(next++))).string();
  Completed done;
  done.exit_status = Reap(Spawn(arguments, folder, stem + ".out", stem + ".err"));
  done.out = ReadFile(stem + ".out");
  done.err = ReadFile(stem + ".err");
  return done;
}

// orvulink-gateway --tls on an ephemeral loopback port; SIGTERM and reaped on destruction.
class Gateway {
 public:
  Gateway(const fs::path& folder, std::vector<std::string> arguments) : ca_(folder / "ca.pem") {
    const fs::path out = folder / "gateway.out";
    arguments.insert(arguments.begin(), {ORVULINK_GATEWAY_PROGRAM, "--listen", "127.0.0.1:0",
                                         "--tls", "--write-ca", ca_.string()});
    pid_ = Spawn(arguments, folder, out, folder / "gateway.err");
    // "listening on https://127.0.0.1:PORT", printed once the socket listens.
    for (int i = 0; i < 3000 && !ReadFile(out).ends_with('\n'); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const std::string line = ReadFile(out);
    port_ = line.starts_with("listening on ") ? std::atoi(line.c_str() + line.rfind(':') + 1) : 0;
    if (port_ <= 0) throw std::runtime_error("the simulator did not start: " + line);
  }
  ~Gateway() {
    kill(pid_, SIGTERM);
    Reap(pid_);
  }
  // Points orvulink at this simulator and makes it trust the simulator's CA.
  void Use() const {
    setenv("ORVULINK_GATEWAY_HOST", ("127.0.0.1:" + std::to_string(port_)).c_str(), 1);
    setenv("ORVULINK_CA_FILE", ca_.c_str(), 1);
  }
  // The control endpoint, trusted through the CA the simulator wrote.
  httplib::Result Control(const std::string& path, const std::string& body = "{}") const {
    httplib::SSLClient client("127.0.0.1", port_);
    client.set_ca_cert_path(ca_.c_str());
    return body.empty() ? client.Get(path) : client.Post(path, body, "application/json");
  }

 private:
  fs::path ca_;
  pid_t pid_ = -1;
  int port_ = 0;
};

class CliTest : public testing::Test {
 protected:
  CliTest() {
    fs::create_directories(dir_);
    // Nothing of the user running the tests may leak in: their settings, gateway, CAs, or a
    // proxy of the machine between the client and the simulator on loopback.
    setenv("HOME", (dir_ / "home").c_str(), 1);
    for (const char* name :
         {"XDG_CONFIG_HOME", "XDG_STATE_HOME", "ORVULINK_JOURNAL", "ORVULINK_GATEWAY_HOST",
          "ORVULINK_CA_FILE", "ORVULINK_PASSWORD", "TMUX", "http_proxy", "https_proxy", "all_proxy",
          "HTTP_PROXY", "HTTPS_PROXY", "ALL_PROXY"})
      unsetenv(name);
  }
  ~CliTest() override { fs::remove_all(dir_); }

  Completed Cli(const std::vector<std::string>& arguments, bool default_settings = false) {
    std::vector<std::string> all = {ORVULINK_CLI_PROGRAM};
    if (!default_settings) all.insert(all.end(), {"--settings", settings_path().string()});
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunProgram(all, dir_);
  }
  static void PointAtClosedPort() {
    setenv("ORVULINK_GATEWAY_HOST", "127.0.0.1:1", 1);  // a privileged port nothing serves
  }
  // The simulator's demo account; without the automatic proxy no probe precedes a command.
  void SaveSettings(const std::string& password = "demo-password", bool automatic_proxy = false) {
    const auto saved = Cli({"config", "set", "UserName=demo", "Password=" + password,
                            std::string("UseAutomayicProxy=") + (automatic_proxy ? "1" : "0")});
    ASSERT_EQ(saved.exit_status, 0) << saved.err;
  }
  fs::path settings_path() const { return dir_ / "settings.ini"; }

  const fs::path dir_ = fs::temp_directory_path() / ("orvulink-cli-" + std::to_string(getpid()) +
                                                     "-" + std::to_string(std::rand()));
};

}  // namespace orvulink::cli_test
