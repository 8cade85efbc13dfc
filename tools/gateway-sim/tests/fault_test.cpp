// Faults, the command line and the orvulink-gateway program as scripts and the demo start it.
#include <gtest/gtest.h>
#include <httplib.h>

#include "command_builder.hpp"
#include "sim/fault.hpp"
#include "sim/fault_board.hpp"
#include "sim/gateway.hpp"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>
#include <memory>
#include <regex>
#include <string>
#include <vector>

extern char** environ;

namespace orvulink::sim {
namespace {

using std::chrono::milliseconds;
using Json = nlohmann::json;

TEST(FaultText, ParsesToTheFaultOrIsRefused) {
  const std::pair<const char*, Json> parsed[] = {
      {"cgi:garbage", {{"target", "cgi"}, {"kind", "garbage"}}},
      {"probe:drop", {{"target", "probe"}, {"kind", "drop"}}},
      {"code=97", {{"target", "cgi"}, {"kind", "code"}, {"code", "97"}, {"payload", ""}}},
      {"code=00:<pre>Closed: back soon</pre>x2",
       {{"target", "cgi"},
        {"kind", "code"},
        {"code", "00"},
        {"payload", "<pre>Closed: back soon</pre>"},
        {"count", 2}}},
      {"delay=1500", {{"target", "cgi"}, {"kind", "delay"}, {"delay_ms", 1500}}},
      {"probe:http=404x1", {{"target", "probe"}, {"kind", "http"}, {"status", 404}, {"count", 1}}}};
  for (const auto& [text, expected] : parsed)
    EXPECT_EQ(FaultToJson(ParseFault(text)), expected) << text;
  for (const char* text :
       {"", "boom", "web:empty", "code=9", "delay=-5", "http=200", "emptyx0", "drop x3"})
    EXPECT_THROW(ParseFault(text), FaultError) << text;
}

TEST(FaultJson, ReadsEveryKeyAndRoundTripsThroughItsOwnForm) {
  const Fault fault =
      FaultFromJson(Json{{"target", "probe"}, {"kind", "delay"}, {"delay_ms", 250}, {"count", 4}});
  EXPECT_EQ(fault.target, FaultTarget::kProbe);
  EXPECT_EQ(fault.kind, FaultKind::kDelay);
  EXPECT_EQ(fault.delay, milliseconds(250));
  EXPECT_EQ(fault.count, 4U);
  for (const char* text : {"code=97:Top up x2", "probe:http=407", "delay=9x1", "garbage"}) {
    const Json once = FaultToJson(ParseFault(text));
    EXPECT_EQ(FaultToJson(FaultFromJson(once)), once) << text;
  }
}

TEST(FaultBoard, CountsDownThenHandsOverToTheNextFaultOfItsTarget) {
  FaultBoard board;
  board.Add(ParseFault("emptyx2"));
  board.Add(ParseFault("code=96"));
  board.Add(ParseFault("probe:dropx1"));
  std::vector<std::string> seen;
  for (int i = 0; i < 4; ++i)
    seen.push_back(FaultToJson(*board.Take(FaultTarget::kCgi))["kind"]);
  EXPECT_EQ(seen, (std::vector<std::string>{"empty", "empty", "code", "code"}));
  EXPECT_EQ(board.Pending(FaultTarget::kCgi).size(), 1U);
  board.Clear();
  board.Add(ParseFault("probe:dropx1"));
  EXPECT_FALSE(board.Take(FaultTarget::kCgi));
  EXPECT_TRUE(board.Take(FaultTarget::kProbe));
  EXPECT_FALSE(board.Take(FaultTarget::kProbe));  // its one request is spent
  board.Add(ParseFault("empty"));
  board.Add(ParseFault("probe:empty"));
  board.Clear();
  EXPECT_FALSE(board.Take(FaultTarget::kCgi));
  EXPECT_FALSE(board.Take(FaultTarget::kProbe));
}

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

// Faults from the command line apply from the first request; both signals end it cleanly.
TEST(Program, PrintsItsAddressServesHttpOrHttpsAndStopsOnSigtermOrSigint) {
  const auto ca = std::filesystem::temp_directory_path() /
                  ("orvulink-sim-ca-" + std::to_string(getpid()) + ".pem");
  for (const bool tls : {false, true}) {
    std::vector<std::string> arguments = {"--listen", "127.0.0.1:0", "--fault", "code=97x1"};
    if (tls) arguments.insert(arguments.end(), {"--tls", "--write-ca", ca.string()});
    Program program(arguments);
    const std::string line = program.ReadLine();
    const int port = PortOf(line, tls ? "https" : "http");
    ASSERT_GT(port, 0) << line;
    httplib::Client client(std::string(tls ? "https" : "http") +
                           "://127.0.0.1:" + std::to_string(port));
    if (tls) {
      client.set_ca_cert_path(ca.string().c_str());
      client.enable_server_certificate_verification(true);
    }
    for (const char* code : {"97", "01"}) {
      const auto result = client.Post("/cgi/orvusms_gw_plus.php", CreditCommand(), "text/plain");
      ASSERT_TRUE(result) << httplib::to_string(result.error());
      EXPECT_EQ(result->body.substr(16, 2), code);
    }
    EXPECT_EQ(program.Stop(tls ? SIGINT : SIGTERM), 0);
  }
  std::filesystem::remove(ca);
}

TEST(Program, RefusesABadCommandLineOrAMissingAccountsFile) {
  const std::pair<std::vector<std::string>, int> cases[] = {
      {{"--listen=0.0.0.0:1"}, 2}, {{"--accounts", "/nonexistent/accounts.json"}, 1}};
  for (const auto& [arguments, status] : cases) {
    Program program(arguments);
    EXPECT_EQ(program.ReadLine(), "") << arguments[0];
    EXPECT_EQ(program.Wait(), status) << arguments[0];
  }
}

}  // namespace
}  // namespace orvulink::sim
