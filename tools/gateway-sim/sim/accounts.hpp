// The gateway's accounts: the fixture they are loaded from and their live state.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/orders.hpp"

namespace orvulink::sim {

struct ReceptionKey {
  std::string key;
  std::string autoresponder;
};

struct Account {
  std::string user;
  std::string password;
  double credit = 0.0;
  std::string nation = "IT";
  bool status_query = true;  // may use the status-query service
  bool abroad = true;        // may send abroad
  std::vector<ReceptionKey> reception_keys;
  OrderBook orders;
};

struct AccountFixture {
  bool status_service = true;  // the gateway's status-query service is up
  std::vector<Account> accounts;
};

class FixtureError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The built-in demo account the simulator serves without a fixture file.
AccountFixture DemoFixture();

// Throws FixtureError naming what is wrong.
AccountFixture ParseFixture(const nlohmann::json& document);
AccountFixture LoadFixtureFile(const std::filesystem::path& path);

nlohmann::json FixtureToJson(const AccountFixture& fixture);

}  // namespace orvulink::sim
