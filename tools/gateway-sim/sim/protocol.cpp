#include "sim/protocol.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>

#include "sim/account_commands.hpp"
#include "sim/credential_digest.hpp"
#include "sim/reception_commands.hpp"
#include "sim/send_command.hpp"
#include "sim/status_command.hpp"

namespace orvulink::sim {
namespace {

constexpr std::array<std::string_view, 3> kHead = {"CMD", "UID", "PWD"};

constexpr std::array<std::string_view, 1> kSerialOnly = {"SERIAL"};
constexpr std::array<std::string_view, 3> kDeleteFields = {"ORDERID", "DEST", "SERIAL"};
constexpr std::array<std::string_view, 2> kSerialThenKey = {"SERIAL", "KEY"};
constexpr std::array<std::string_view, 1> kTestOption = {"TEST"};
constexpr std::array<std::string_view, 2> kKeyThenSerial = {"KEY", "SERIAL"};
constexpr std::array<std::string_view, 3> kAutoresponderFields = {"KEY", "AUTORESPONDER", "SERIAL"};
constexpr std::array<std::string_view, 2> kSendFields = {"SERIAL", "SENDDATA"};
constexpr std::array<std::string_view, 2> kSendOptions = {"VCODE", "TEST"};
constexpr std::array<std::string_view, 2> kStatusFields = {"QUERYDATA", "SERIAL"};

// Every command the gateway answers, with its field layout.
constexpr std::array kCommands = {
    CommandEntry{2, kSerialOnly, {}, &CreditCommand},
    CommandEntry{4, kSerialThenKey, kTestOption, &DownloadCommand},
    CommandEntry{5, kSerialOnly, {}, &DownloadCheckCommand},
    CommandEntry{6, kSerialThenKey, {}, &WaitingCountCommand},
    CommandEntry{7, kSerialOnly, {}, &UserInfoCommand},
    CommandEntry{9, kDeleteFields, {}, &DeleteCommand},
    CommandEntry{14, kSendFields, kSendOptions, &SendCommand},
    CommandEntry{15, kStatusFields, {}, &StatusCommand},
    CommandEntry{16, kKeyThenSerial, {}, &AutoresponderQueryCommand},
    CommandEntry{17, kAutoresponderFields, {}, &AutoresponderChangeCommand},
};

std::optional<int> CommandNumber(const ParsedCommand& command) {
  if (command.fields.empty() || command.fields.front().name != "CMD") return std::nullopt;
  const std::string& text = command.fields.front().text;
  int number = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (text.empty() || text.size() > 3 || error != std::errc() || end != text.data() + text.size()) {
    return std::nullopt;
  }
  return number;
}

bool NameAt(const ParsedCommand& command, std::size_t index, std::string_view name) {
  return index < command.fields.size() && command.fields[index].name == name;
}

// The head, the command's fields in order, then any of its optional fields in order.
bool HasLayout(const ParsedCommand& command, const CommandEntry& entry) {
  std::size_t index = 0;
  for (const auto name : kHead) {
    if (!NameAt(command, index++, name)) return false;
  }
  for (const auto name : entry.fields) {
    if (!NameAt(command, index++, name)) return false;
  }
  for (const auto name : entry.optional_fields) {
    if (NameAt(command, index, name)) ++index;
  }
  return index == command.fields.size();
}

// The head is checked before, so UID and PWD are there.
Account* Authenticate(const ParsedCommand& command, AccountFixture& accounts) {
  const std::string& uid = command.fields[1].text;
  const std::string& pwd = command.fields[2].text;
  const auto match =
      std::find_if(accounts.accounts.begin(), accounts.accounts.end(), [&](const Account& account) {
        return CredentialDigest(account.user) == uid && CredentialDigest(account.password) == pwd;
      });
  return match == accounts.accounts.end() ? nullptr : &*match;
}

}  // namespace

const std::string& CommandContext::Field(std::string_view name) const {
  return command.Find(name)->text;
}

std::span<const CommandEntry> CommandTable() {
  return kCommands;
}

const CommandEntry* FindCommand(int number) {
  const auto it =
      std::find_if(kCommands.begin(), kCommands.end(),
                   [number](const CommandEntry& entry) { return entry.number == number; });
  return it == kCommands.end() ? nullptr : &*it;
}

Answer Dispatch(const ParsedCommand& command, AccountFixture& accounts, std::string_view serial,
                SimTime now) {
  const auto number = CommandNumber(command);
  const CommandEntry* entry = number ? FindCommand(*number) : nullptr;
  if (entry == nullptr || !HasLayout(command, *entry)) return Failure(result_code::kCgiError);
  const CommandField* serial_field = command.Find("SERIAL");
  if (serial_field == nullptr || serial_field->text != serial) {
    return Failure(result_code::kCgiError);
  }
  Account* account = Authenticate(command, accounts);
  if (account == nullptr) return Failure(result_code::kAuthentication);
  CommandContext context{command, *account, accounts, now};
  return entry->handler(context);
}

}  // namespace orvulink::sim
