// Fixtures of the end-to-end tests: orvulink run as a child process on a settings file of its
// own, and for the gateway commands the simulator (HTTPS, its own CA) as a second child.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
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

}  // namespace orvulink::cli_test
