#include "sim/accounts.hpp"

#include <chrono>
#include <fstream>
#include <set>

#include "sim/local_time.hpp"

namespace orvulink::sim {
namespace {

using nlohmann::json;

const json& Require(const json& value, bool ok, const char* what) {
  if (!ok) throw FixtureError(std::string("accounts fixture: ") + what);
  return value;
}

const json& RequireArray(const json& value, const char* what) {
  return Require(value, value.is_array(), what);
}

// Fixture messages without a date of their own arrived as the fixture was loaded.
std::string LoadTime() {
  const SimTime now = std::chrono::system_clock::now();
  return FormatLocalDate(now) + " " + FormatLocalTime(now);
}

void ParseOrders(const json& orders, OrderBook& book) {
  Require(orders, orders.is_object(), "\"orders\" must map order IDs to phone lists");
  for (const auto& [order_id, phones] : orders.items()) {
    for (const auto& phone : RequireArray(phones, "an order must list its phones"))
      book.AddRecipient(order_id, phone.get<std::string>());
  }
}

// A number alone fails with the default reason; {"phone", "reason"} names its own.
void ParseFailing(const json& list, Account& account) {
  for (const auto& entry : RequireArray(list, "\"failing\" must be a list")) {
    if (entry.is_string()) {
      account.failing[entry.get<std::string>()] = kDefaultFailureReason;
    } else {
      account.failing[entry.at("phone").get<std::string>()] =
          entry.value("reason", kDefaultFailureReason);
    }
  }
}

Account ParseAccount(const json& entry) {
  Account account;
  account.user = entry.at("user").get<std::string>();
  account.password = entry.at("password").get<std::string>();
  account.credit = entry.value("credit", 0.0);
  account.nation = entry.value("nation", account.nation);
  account.status_query = entry.value("status_query", account.status_query);
  account.abroad = entry.value("abroad", account.abroad);
  const json keys = entry.value("reception_keys", json::array());
  for (const auto& key : RequireArray(keys, "\"reception_keys\" must be a list")) {
    account.reception_keys.push_back(ParseReceptionKey(key, LoadTime()));
  }
  ParseOrders(entry.value("orders", json::object()), account.orders);
  account.vap_code = entry.value("vap_code", std::string());
  const json unreachable = entry.value("unreachable", json::array());
  for (const auto& phone : RequireArray(unreachable, "\"unreachable\" must be a list"))
    account.unreachable.push_back(phone.get<std::string>());
  ParseFailing(entry.value("failing", json::array()), account);
  return account;
}

// Two accounts of one name would make authentication ambiguous.
void CheckUsers(const AccountFixture& fixture) {
  std::set<std::string> seen;
  for (const auto& account : fixture.accounts) {
    if (account.user.empty()) throw FixtureError("an account has an empty user name");
    if (!seen.insert(account.user).second) {
      throw FixtureError("the user \"" + account.user + "\" appears twice");
    }
  }
}

json OrdersToJson(const OrderBook& book) {
  json orders = json::object();
  for (const auto& [order_id, order] : book.orders()) {
    json phones = json::array();
    for (const auto& recipient : order.recipients)
      phones.push_back(recipient.phone);
    orders[order_id] = std::move(phones);
  }
  return orders;
}

json FailingToJson(const Account& account) {
  json failing = json::array();
  for (const auto& [phone, reason] : account.failing)
    failing.push_back({{"phone", phone}, {"reason", reason}});
  return failing;
}

json AccountToJson(const Account& account) {
  json keys = json::array();
  for (const auto& key : account.reception_keys) {
    keys.push_back(ReceptionKeyToJson(key));
  }
  return {{"user", account.user},
          {"password", account.password},
          {"credit", account.credit},
          {"nation", account.nation},
          {"status_query", account.status_query},
          {"abroad", account.abroad},
          {"reception_keys", keys},
          {"orders", OrdersToJson(account.orders)},
          {"vap_code", account.vap_code},
          {"unreachable", account.unreachable},
          {"failing", FailingToJson(account)}};
}

}  // namespace

AccountFixture DemoFixture() {
  Account demo;
  demo.user = "demo";
  demo.password = "demo-password";
  demo.credit = 150.5;
  demo.reception_keys = {{"K1", ""}, {"K2", ""}};
  AccountFixture fixture;
  fixture.accounts.push_back(std::move(demo));
  return fixture;
}

AccountFixture ParseFixture(const json& document) {
  try {
    AccountFixture fixture;
    fixture.status_service = document.value("status_service", true);
    for (const auto& entry : RequireArray(document.at("accounts"), "\"accounts\" must be a list")) {
      fixture.accounts.push_back(ParseAccount(entry));
    }
    CheckUsers(fixture);
    return fixture;
  } catch (const json::exception& e) {
    throw FixtureError(std::string("accounts fixture: ") + e.what());
  }
}

AccountFixture LoadFixtureFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  if (!in) throw FixtureError("cannot open the accounts file " + path.string());
  try {
    return ParseFixture(json::parse(in));
  } catch (const json::parse_error& e) {
    throw FixtureError(path.string() + ": " + e.what());
  }
}

json FixtureToJson(const AccountFixture& fixture) {
  json accounts = json::array();
  for (const auto& account : fixture.accounts)
    accounts.push_back(AccountToJson(account));
  return {{"status_service", fixture.status_service}, {"accounts", accounts}};
}

}  // namespace orvulink::sim
