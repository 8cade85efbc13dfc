// orvulink credit: the account's remaining credit.
#include <array>
#include <charconv>
#include <nlohmann/json.hpp>
#include <string>

#include "commands/commands.hpp"

namespace orvulink::cli {
namespace {

// The shortest text that reads back as the same number, never with an exponent: 150.5, not
// 150.500000; 100000, not 1e+05.
std::string FormatCredit(double credit) {
  std::array<char, 400> buffer{};  // room for any double in fixed notation
  const auto result =
      std::to_chars(buffer.data(), buffer.data() + buffer.size(), credit, std::chars_format::fixed);
  return std::string(buffer.data(), result.ptr);
}

}  // namespace

void AddCreditCommand(CLI::App& app, CommandConfig& chosen) {
  auto* credit = app.add_subcommand("credit", "Show the account's remaining credit");
  credit->callback([&chosen] { chosen = CreditConfig{}; });
}

int Run(const CreditConfig&, Session& session) {
  const double credit = session.Control().GetCredit();
  if (session.output().json()) {
    session.output().Json({{"GetCredit", credit}});
  } else {
    session.output().Value("Credit", FormatCredit(credit));
  }
  return kExitOk;
}

}  // namespace orvulink::cli
