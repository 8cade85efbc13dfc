// The subcommands: each file registers its part of the command line (filling its typed config
// when chosen) and runs it. Run returns the exit status; failures are thrown and mapped by main.
#pragma once

#include <CLI/CLI.hpp>

#include "exit_codes.hpp"
#include "invocation.hpp"
#include "session.hpp"

namespace orvulink::cli {

void AddConfigCommand(CLI::App& app, CommandConfig& chosen);  // config show | set | edit
void AddConfigShowCommand(CLI::App& config, CommandConfig& chosen);
void AddConfigSetCommand(CLI::App& config, CommandConfig& chosen);
void AddConfigEditCommand(CLI::App& config, CommandConfig& chosen);
void AddAboutCommand(CLI::App& app, CommandConfig& chosen);
void AddTestCommand(CLI::App& app, CommandConfig& chosen);
void AddCreditCommand(CLI::App& app, CommandConfig& chosen);
void AddInfoCommand(CLI::App& app, CommandConfig& chosen);
void AddDeleteCommand(CLI::App& app, CommandConfig& chosen);
void AddKeysCommand(CLI::App& app, CommandConfig& chosen);
void AddReceiveCommand(CLI::App& app, CommandConfig& chosen);
void AddAutoresponderCommand(CLI::App& app, CommandConfig& chosen);
void AddSendCommand(CLI::App& app, CommandConfig& chosen);
void AddStatusCommand(CLI::App& app, CommandConfig& chosen);
void AddHistoryCommand(CLI::App& app, CommandConfig& chosen);
void AddInboxCommand(CLI::App& app, CommandConfig& chosen);

int Run(const ConfigShowConfig& config, Session& session);
int Run(const ConfigSetConfig& config, Session& session);
int Run(const ConfigEditConfig& config, Session& session);
int Run(const AboutConfig& config, Session& session);
int Run(const TestConfig& config, Session& session);
int Run(const CreditConfig& config, Session& session);
int Run(const InfoConfig& config, Session& session);
int Run(const DeleteConfig& config, Session& session);
int Run(const KeysConfig& config, Session& session);
int Run(const ReceiveConfig& config, Session& session);
int Run(const AutoresponderConfig& config, Session& session);
int Run(const SendConfig& config, Session& session);
int Run(const StatusConfig& config, Session& session);
int Run(const HistoryConfig& config, Session& session);
int Run(const InboxConfig& config, Session& session);

}  // namespace orvulink::cli
