// Command dispatch: from a command number to the handler that answers it.
#pragma once

#include <span>
#include <string_view>

#include "sim/accounts.hpp"
#include "sim/answer.hpp"
#include "sim/command_parser.hpp"
#include "sim/sim_clock.hpp"

namespace orvulink::sim {

// What a handler may read and change while it answers one authenticated command.
struct CommandContext {
  const ParsedCommand& command;
  Account& account;
  const AccountFixture& gateway;
  SimTime now = std::chrono::system_clock::now();  // the gateway's clock as the command arrived

  // The decoded text of a field the command's layout guarantees.
  const std::string& Field(std::string_view name) const;
};

using CommandHandler = Answer (*)(CommandContext& context);

struct CommandEntry {
  int number;
  // Fields after the head «CMD, UID, PWD», in wire order.
  std::span<const std::string_view> fields;
  // Fields that may follow them, each at most once and in this order.
  std::span<const std::string_view> optional_fields;
  CommandHandler handler;
};

// Every command the gateway answers.
std::span<const CommandEntry> CommandTable();
const CommandEntry* FindCommand(int number);

// Checks layout, serial token and credentials, then runs the handler. A malformed command or
// a wrong serial token answers "98"; unknown credentials "99".
Answer Dispatch(const ParsedCommand& command, AccountFixture& accounts, std::string_view serial,
                SimTime now = std::chrono::system_clock::now());

}  // namespace orvulink::sim
