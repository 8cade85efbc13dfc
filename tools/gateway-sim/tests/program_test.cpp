// The orvulink-gateway program as scripts and the demo start it.
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "command_builder.hpp"

extern char** environ;

namespace orvulink::sim {
namespace {

// The program on a pipe; killed and reaped by the destructor if a test left it running.
class Program {
 public:
  explicit Program(std::vector<std::string> arguments) {
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    arguments.insert(arguments.begin(), ORVULINK_GATEWAY_PROGRAM);
    std::vector<char*> argv;
    for (auto& argument : arguments)
      argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    output_ = out[0];
    if (spawned != 0) throw std::runtime_error("cannot start " + arguments[0]);
  }

  ~Program() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    close(output_);
  }

  // The first line the program prints; "" when it ends without one.
  std::string ReadLine() {
    std::string line;
    char c = 0;
    while (read(output_, &c, 1) == 1 && c != '\n')
      line += c;
    return line;
  }

  // Sends the signal and returns the exit status, or -1 when the program did not exit.
  int Stop(int signal_number) {
    kill(pid_, signal_number);
    return Wait();
  }

  int Wait() {
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int output_ = -1;
};

int PortOf(const std::string& line, const std::string& scheme) {
  std::smatch match;
  const std::regex pattern("listening on " + scheme + "://127\\.0\\.0\\.1:([0-9]+)");
  if (!std::regex_match(line, match, pattern)) return -1;
  return std::stoi(match[1]);
}

std::string CreditCommand() {
  return testing_support::Command(2, {}, {{"SERIAL", testing_support::Serial()}});
}

TEST(Program, PrintsItsAddressServesAndStopsOnSigterm) {
  Program program({"--listen", "127.0.0.1:0"});
  const std::string line = program.ReadLine();
  const int port = PortOf(line, "http");
  ASSERT_GT(port, 0) << line;
  httplib::Client client("127.0.0.1", port);
  const auto result = client.Post("/cgi/orvusms_gw_plus.php", CreditCommand(), "text/plain");
  ASSERT_TRUE(result);
  EXPECT_NE(result->body.find("150.50 credits"), std::string::npos);
  EXPECT_EQ(program.Stop(SIGTERM), 0);
}

TEST(Program, ServesHttpsWithTheCertificateItWrites) {
  const auto ca = std::filesystem::temp_directory_path() /
                  ("orvulink-sim-ca-" + std::to_string(getpid()) + ".pem");
  Program program({"--tls", "--write-ca", ca.string(), "--fault", "code=97x1"});
  const int port = PortOf(program.ReadLine(), "https");
  ASSERT_GT(port, 0);
  httplib::SSLClient client("127.0.0.1", port);
  client.set_ca_cert_path(ca.string().c_str());
  client.enable_server_certificate_verification(true);
  const auto faulted = client.Post("/cgi/orvusms_gw_plus.php", CreditCommand(), "text/plain");
  ASSERT_TRUE(faulted) << httplib::to_string(faulted.error());
  EXPECT_EQ(faulted->body.substr(16, 2), "97");
  const auto normal = client.Post("/cgi/orvusms_gw_plus.php", CreditCommand(), "text/plain");
  ASSERT_TRUE(normal);
  EXPECT_EQ(normal->body.substr(16, 2), "01");
  EXPECT_EQ(program.Stop(SIGINT), 0);
  std::filesystem::remove(ca);
}

TEST(Program, RefusesABadCommandLine) {
  for (const char* argument : {"--listen=0.0.0.0:1", "--fault=boom", "--nonsense"}) {
    Program program({argument});
    EXPECT_EQ(program.ReadLine(), "") << argument;
    EXPECT_EQ(program.Wait(), 2) << argument;
  }
}

TEST(Program, RefusesAMissingAccountsFile) {
  Program program({"--accounts", "/nonexistent/accounts.json"});
  EXPECT_EQ(program.ReadLine(), "");
  EXPECT_EQ(program.Wait(), 1);
}

}  // namespace
}  // namespace orvulink::sim
