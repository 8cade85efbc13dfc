#include "process.hpp"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <set>
#include <stdexcept>
#include <system_error>
#include <utility>

extern char** environ;

namespace orvulink::cli_test {
namespace {

[[noreturn]] void ThrowErrno(const std::string& what) {
  throw std::system_error(errno, std::generic_category(), what);
}

class Pipe {
 public:
  Pipe() {
    if (pipe2(fds_.data(), O_CLOEXEC) != 0) ThrowErrno("pipe2");
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  int read_end() const { return fds_[0]; }
  int write_end() const { return fds_[1]; }
  int ReleaseRead() { return std::exchange(fds_[0], -1); }
  void CloseRead() { Close(fds_[0]); }
  void CloseWrite() { Close(fds_[1]); }

 private:
  static void Close(int& fd) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
  std::array<int, 2> fds_{-1, -1};
};

class FileActions {
 public:
  FileActions() { posix_spawn_file_actions_init(&actions_); }
  ~FileActions() { posix_spawn_file_actions_destroy(&actions_); }
  FileActions(const FileActions&) = delete;
  FileActions& operator=(const FileActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

// The simulator and the client must meet on loopback, never through a proxy of the machine.
const std::set<std::string> kDroppedVariables = {
    "http_proxy",  "https_proxy", "all_proxy", "no_proxy",  "HTTP_PROXY",
    "HTTPS_PROXY", "ALL_PROXY",   "NO_PROXY",  "ftp_proxy", "FTP_PROXY"};

std::vector<std::string> ChildEnvironment(const EnvironmentChanges& changes) {
  std::vector<std::string> entries;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    if (kDroppedVariables.contains(name) || changes.contains(name)) continue;
    entries.push_back(text);
  }
  for (const auto& [name, value] : changes) {
    if (value) entries.push_back(name + "=" + *value);
  }
  return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (auto& text : texts)
    pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

pid_t Spawn(const std::string& program, std::vector<std::string> arguments,
            const EnvironmentChanges& changes, FileActions& actions) {
  arguments.insert(arguments.begin(), program);
  auto environment = ChildEnvironment(changes);
  auto argv = Pointers(arguments);
  auto envp = Pointers(environment);
  pid_t pid = -1;
  const int error =
      posix_spawn(&pid, program.c_str(), actions.get(), nullptr, argv.data(), envp.data());
  if (error != 0) throw std::system_error(error, std::generic_category(), "spawn " + program);
  return pid;
}

// The exit status, or -1 when the child did not exit normally (or cannot be waited for).
int Reap(pid_t pid) noexcept {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Reads both pipes to their end together, so that a child filling one cannot block.
void Drain(int out_fd, int err_fd, Completed& completed) {
  std::array<pollfd, 2> fds = {{{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}}};
  std::array<std::string*, 2> sinks = {&completed.out, &completed.err};
  int open_count = 2;
  while (open_count > 0) {
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      ThrowErrno("poll");
    }
    for (std::size_t i = 0; i < fds.size(); ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      std::array<char, 4096> buffer{};
      const ssize_t n = read(fds[i].fd, buffer.data(), buffer.size());
      if (n > 0) {
        sinks[i]->append(buffer.data(), static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
}

}  // namespace

Completed RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                     const std::filesystem::path& folder, const EnvironmentChanges& changes) {
  Pipe out;
  Pipe err;
  FileActions actions;
  posix_spawn_file_actions_addchdir_np(actions.get(), folder.c_str());
  posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(actions.get(), out.write_end(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(actions.get(), err.write_end(), STDERR_FILENO);
  const pid_t pid = Spawn(program, arguments, changes, actions);
  out.CloseWrite();
  err.CloseWrite();
  Completed completed;
  Drain(out.read_end(), err.read_end(), completed);
  completed.exit_status = Reap(pid);
  return completed;
}

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "orvulink-cli-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) ThrowErrno("mkdtemp");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

GatewayProcess::GatewayProcess(const std::string& program,
                               const std::vector<std::string>& arguments) {
  Pipe out;
  FileActions actions;
  posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(actions.get(), out.write_end(), STDOUT_FILENO);
  std::vector<std::string> all = {"--listen", "127.0.0.1:0"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  pid_ = Spawn(program, all, {}, actions);
  out.CloseWrite();
  stdout_fd_ = out.ReleaseRead();

  // "listening on http(s)://127.0.0.1:PORT"; the socket listens before the line is written.
  std::string line;
  char c = 0;
  while (read(stdout_fd_, &c, 1) == 1 && c != '\n')
    line += c;
  const std::size_t colon = line.rfind(':');
  if (line.rfind("listening on ", 0) == 0 && colon != std::string::npos) {
    port_ = std::atoi(line.c_str() + colon + 1);
  }
  if (port_ <= 0) {
    Stop();
    throw std::runtime_error("the simulator did not start; it printed \"" + line + "\"");
  }
}

GatewayProcess::~GatewayProcess() {
  Stop();
}

void GatewayProcess::Stop() noexcept {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    Reap(pid_);
    pid_ = -1;
  }
  if (stdout_fd_ >= 0) close(stdout_fd_);
  stdout_fd_ = -1;
}

int ClosedLoopbackPort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) ThrowErrno("socket");
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = 0;
  socklen_t length = sizeof address;
  const bool ok = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
                  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0;
  const int saved = errno;
  close(fd);
  if (!ok) {
    errno = saved;
    ThrowErrno("bind");
  }
  return ntohs(address.sin_port);
}

}  // namespace orvulink::cli_test
