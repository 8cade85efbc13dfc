// The command line parsed into typed values: the global options and the one subcommand chosen.
#pragma once

#include <orvulink/automation.hpp>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace orvulink::cli {

struct GlobalConfig {
  std::filesystem::path settings;  // empty: the default location
  bool json = false;
  std::optional<std::string> profile;  // none: the default profile
  bool verbose = false;                // each gateway exchange on stderr
  std::optional<int> timeout_seconds;  // the whole command's limit
};

struct ConfigShowConfig {
  bool reveal = false;
};

struct ConfigSetConfig {
  std::vector<std::string> assignments;  // "KEY=VALUE", as typed
};

struct ConfigEditConfig {
  std::optional<std::string> property;  // the property to start on, spelled exactly
};

struct AboutConfig {
  bool contents = false;  // also the help file
};

struct TestConfig {};
struct CreditConfig {};
struct InfoConfig {};

struct DeleteConfig {
  std::string order_id;
  std::optional<std::string> phone;  // none: every recipient of the order
};

struct KeysConfig {};

struct ReceiveConfig {
  std::string key;  // a reception key of the account, compared without regard to case
};

struct AutoresponderConfig {
  std::string key;
  std::string text;
};

// One text to --to recipients, or the list of a CSV file.
struct SendConfig {
  std::vector<std::string> to;
  std::optional<std::string> text;
  std::optional<std::string> sender;  // with a file: for rows that name none
  std::optional<DateParts> at;        // none: at once
  std::optional<std::filesystem::path> file;
  std::optional<int> batch;  // the list's capacity, MaxListToSend
  bool resume = false;       // the journal's last send, what of it was not sent
  bool dry_run = false;      // show what would go out, send nothing
  bool strict = false;       // refuse texts the component would change
};

// Order IDs whose delivery status to show, as typed; "-" reads them from standard input.
struct StatusConfig {
  std::vector<std::string> entries;  // ORDERID or ORDERID:PHONE
  std::optional<std::filesystem::path> file;
  std::optional<int> wait_seconds;    // none: ask once
  std::optional<std::int16_t> batch;  // the list's capacity, MaxListToNotify
  bool last = false;                  // the order IDs of the journal's last send
};

struct HistoryConfig {
  int limit = 10;  // sends, the newest first
};

struct InboxConfig {
  int limit = 50;   // messages, the newest, printed oldest first
  std::string key;  // empty: every key
};

// One alternative per subcommand; a new subcommand adds its config here, a registrar and a
// Run overload in commands/commands.hpp.
using CommandConfig =
    std::variant<std::monostate, ConfigShowConfig, ConfigSetConfig, TestConfig, CreditConfig,
                 InfoConfig, DeleteConfig, ConfigEditConfig, AboutConfig, KeysConfig, ReceiveConfig,
                 AutoresponderConfig, SendConfig, StatusConfig, HistoryConfig, InboxConfig>;

struct Invocation {
  GlobalConfig global;
  CommandConfig command;
};

}  // namespace orvulink::cli
