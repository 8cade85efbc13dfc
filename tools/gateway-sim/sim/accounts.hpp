// The gateway's accounts: the fixture they are loaded from and their live state.
#pragma once

#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/orders.hpp"
#include "sim/reception_key.hpp"

namespace orvulink::sim {

struct Account {
  std::string user;
  std::string password;
  double credit = 0.0;
  std::string nation = "IT";
  bool status_query = true;  // may use the status-query service
  bool abroad = true;        // may send abroad
  std::vector<ReceptionKey> reception_keys;
  bool download_open = false;  // a download (4) awaits its check (5)
  OrderBook orders;
  std::string vap_code;                             // "": sends need none
  std::vector<std::string> unreachable;             // recipients the gateway refuses
  std::map<std::string, int, std::less<>> failing;  // recipient to why its delivery fails
};

// The reason a failing recipient's delivery fails with when the fixture names none: the
// recipient number.
inline constexpr int kDefaultFailureReason = 0;

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
