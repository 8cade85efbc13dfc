// Fixtures of the end-to-end tests: orvulink run as a child process on a settings file of its
// own, and for the gateway commands the simulator (HTTPS, its own CA) as a second child.
#pragma once

#include <gtest/gtest.h>
#include <httplib.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "process.hpp"

namespace orvulink::cli_test {

// Parameterised cases are named by their `name` member.
struct CaseName {
  template <class Case>
  std::string operator()(const testing::TestParamInfo<Case>& info) const {
    return info.param.name;
  }
};

inline std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteFile(const std::filesystem::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

class CliTest : public testing::Test {
 protected:
  CliTest() {
    // Nothing of the user running the tests may leak in: their settings, gateway or CAs.
    environment_ = {{"HOME", (dir_.path() / "home").string()},
                    {"XDG_CONFIG_HOME", std::nullopt},
                    {"ORVULINK_GATEWAY_HOST", std::nullopt},
                    {"ORVULINK_CA_FILE", std::nullopt}};
  }

  // orvulink with `arguments` after --settings of this test's file.
  Completed Cli(const std::vector<std::string>& arguments) {
    std::vector<std::string> all = {"--settings", settings_path().string()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return RunProgram(ORVULINK_CLI_PROGRAM, all, dir_.path(), environment_);
  }

  // orvulink without --settings, in the environment changed by `changes`.
  Completed CliDefaultSettings(const std::vector<std::string>& arguments,
                               const EnvironmentChanges& changes) {
    EnvironmentChanges environment = environment_;
    for (const auto& [name, value] : changes)
      environment[name] = value;
    return RunProgram(ORVULINK_CLI_PROGRAM, arguments, dir_.path(), environment);
  }

  std::filesystem::path settings_path() const { return dir_.path() / "settings.ini"; }
  std::string SettingsText() const { return ReadFile(settings_path()); }

  TempDir dir_;  // first member: it outlives every process started in it
  EnvironmentChanges environment_;
};

class GatewayCliTest : public CliTest {
 protected:
  // The simulator over HTTPS; orvulink is pointed at it and trusts its certificate.
  void StartGateway(const std::vector<std::string>& arguments = {}) {
    const auto ca = dir_.path() / "ca.pem";
    std::vector<std::string> all = {"--tls", "--write-ca", ca.string()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    gateway_.emplace(ORVULINK_GATEWAY_PROGRAM, all);
    environment_["ORVULINK_GATEWAY_HOST"] = gateway_->host();
    environment_["ORVULINK_CA_FILE"] = ca.string();
  }

  // A fixture file of accounts for --accounts.
  std::string WriteAccounts(const std::string& json) {
    const auto path = dir_.path() / "accounts.json";
    WriteFile(path, json);
    return path.string();
  }

  void PointAtClosedPort() {
    environment_["ORVULINK_GATEWAY_HOST"] = "127.0.0.1:" + std::to_string(ClosedLoopbackPort());
  }

  // The simulator's demo account; without the automatic proxy no probe precedes a command.
  void SaveSettings(const std::string& password = "demo-password", bool automatic_proxy = false) {
    const auto saved =
        Cli({"config", "set", "UserName=demo", "Password=" + password,
             std::string("UseAutomayicProxy=") + (automatic_proxy ? "True" : "False")});
    ASSERT_EQ(saved.exit_status, 0) << saved.err;
  }

  std::optional<GatewayProcess> gateway_;
};

// The rows of a table orvulink prints to a pipe: TAB-separated cells.
using Table = std::vector<std::vector<std::string>>;
inline Table Rows(const std::string& out) {
  Table rows;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    std::vector<std::string> cells;
    std::istringstream fields(line);
    for (std::string cell; std::getline(fields, cell, '\t');)
      cells.push_back(cell);
    if (line.ends_with('\t')) cells.emplace_back();
    rows.push_back(cells);
  }
  return rows;
}

// One simulator for a whole suite, reset before every test, with orvulink signed in to the demo
// account: 150.5 credits, a number the gateway cannot reach, one that fails with reason 111, an
// order of three recipients and three reception keys.
class SharedGatewayTest : public GatewayCliTest {
 protected:
  static void SetUpTestSuite() {
    folder_ = std::make_unique<TempDir>();
    const auto accounts = folder_->path() / "accounts.json";
    WriteFile(accounts, R"({"accounts": [{"user": "demo", "password": "demo-password",
      "credit": 150.5, "unreachable": ["+393330000000"],
      "failing": [{"phone": "+393339999999", "reason": 111}],
      "orders": {"ORD-7": ["+393331111111", "+393332222222", "+393333333333"]},
      "reception_keys": [
        {"key": "K1", "autoresponder": "Back on Monday", "messages": [
          {"sent": "2006-01-20 10:15:00", "sender": "+39333111", "text": "Ciao"},
          {"sent": "2006-01-20 10:16:00", "sender": "+39333222", "text": "Si\tfine"}]},
        {"key": "K2", "autoresponder": "Hello"},
        {"key": "OLD", "expired": true}]}]})");
    shared_ = std::make_unique<GatewayProcess>(
        ORVULINK_GATEWAY_PROGRAM,
        std::vector<std::string>{"--tls", "--write-ca", CaFile(), "--accounts", accounts.string()});
  }
  static void TearDownTestSuite() {
    shared_.reset();
    folder_.reset();
  }
  void SetUp() override {
    ASSERT_TRUE(shared_) << "the suite's simulator did not start";
    environment_["ORVULINK_GATEWAY_HOST"] = shared_->host();
    environment_["ORVULINK_CA_FILE"] = CaFile();
    const auto reset = Control("POST", "/control/reset");
    ASSERT_TRUE(reset && reset->status == 204);
    SaveSettings();
  }

  // The simulator's control endpoint, trusted through the CA it wrote.
  static httplib::Result Control(const std::string& method, const std::string& path,
                                 const std::string& body = "") {
    httplib::SSLClient client("127.0.0.1", shared_->port());
    client.set_ca_cert_path(CaFile().c_str());
    return method == "POST" ? client.Post(path, body, "application/json") : client.Get(path);
  }
  // A fault in the simulator's JSON form, queued behind any others.
  static void AddFault(const std::string& fault) {
    const auto added = Control("POST", "/control/fault", fault);
    ASSERT_TRUE(added && added->status == 200) << fault;
  }
  static std::string CaFile() { return (folder_->path() / "ca.pem").string(); }

  inline static std::unique_ptr<TempDir> folder_;
  inline static std::unique_ptr<GatewayProcess> shared_;
};

}  // namespace orvulink::cli_test
