// The command line parsed into typed values: the global options and the one subcommand chosen.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace orvulink::cli {

struct GlobalConfig {
  std::filesystem::path settings;  // empty: the default location
  bool json = false;
};

struct ConfigShowConfig {
  bool reveal = false;
};

struct ConfigSetConfig {
  std::vector<std::string> assignments;  // "KEY=VALUE", as typed
};

struct TestConfig {};
struct CreditConfig {};
struct InfoConfig {};

struct DeleteConfig {
  std::string order_id;
  std::optional<std::string> phone;  // none: every recipient of the order
};

// One alternative per subcommand; a new subcommand adds its config here, a registrar and a
// Run overload in commands/commands.hpp.
using CommandConfig = std::variant<std::monostate, ConfigShowConfig, ConfigSetConfig, TestConfig,
                                   CreditConfig, InfoConfig, DeleteConfig>;

struct Invocation {
  GlobalConfig global;
  CommandConfig command;
};

}  // namespace orvulink::cli
