// orvulink test: the control's connection test, its verdict named and explained.
#include <orvulink/enums.hpp>

#include <array>
#include <nlohmann/json.hpp>
#include <string>

#include "commands/commands.hpp"

namespace orvulink::cli {
namespace {

struct Verdict {
  OrvuLink_CodeTestConnection code;
  std::string_view name;
  std::string_view meaning;
};

constexpr std::array<Verdict, 8> kVerdicts = {{
    {ORVULINK_TEST_OK, "ORVULINK_TEST_OK", "the gateway answered"},
    {ORVULINK_TEST_GENERIC, "ORVULINK_TEST_GENERIC",
     "no usable answer arrived, and no cause was recorded"},
    {ORVULINK_TEST_NETWORK, "ORVULINK_TEST_NETWORK",
     "no network connection, or the connectivity probe failed unexpectedly"},
    {ORVULINK_TEST_TIMER, "ORVULINK_TEST_TIMER", "the connectivity probe timed out"},
    {ORVULINK_TEST_PROXY, "ORVULINK_TEST_PROXY",
     "the proxy refused the request, or wants credentials"},
    {ORVULINK_TEST_GATEWAY, "ORVULINK_TEST_GATEWAY",
     "the gateway could not be reached, or its answer was not understood"},
    {ORVULINK_TEST_PROTOCOLSSL, "ORVULINK_TEST_PROTOCOLSSL",
     "the probe page was not found (HTTP 404); check the encryptSSL setting"},
    {ORVULINK_TEST_EXPLORER, "ORVULINK_TEST_EXPLORER",
     "the connectivity probe could not start its request"},
}};

const Verdict* FindVerdict(OrvuLink_CodeTestConnection code) {
  for (const auto& verdict : kVerdicts) {
    if (verdict.code == code) return &verdict;
  }
  return nullptr;
}

std::string Describe(OrvuLink_CodeTestConnection code) {
  const Verdict* verdict = FindVerdict(code);
  const std::string name = verdict ? std::string(verdict->name) : "unknown verdict";
  return name + " (" + std::to_string(code) + ")";
}

std::string_view Meaning(OrvuLink_CodeTestConnection code) {
  const Verdict* verdict = FindVerdict(code);
  return verdict ? verdict->meaning : "the control gave a verdict this program does not know";
}

// A failed probe appends TAB and its own error to the description, often an empty one.
std::string Readable(const std::string& description) {
  std::string line = OneLine(description);
  line.erase(line.find_last_not_of(' ') + 1);
  return line;
}

}  // namespace

void AddTestCommand(CLI::App& app, CommandConfig& chosen) {
  auto* test = app.add_subcommand("test", "Test the connection to the gateway");
  test->callback([&chosen] { chosen = TestConfig{}; });
}

int Run(const TestConfig&, Session& session) {
  OrvuLinkActiveX& control = session.Control();
  const OrvuLink_CodeTestConnection verdict = control.TestConnection();
  // The test never raises; the cause of a failure stays in ErrCode and ErrDescription, which
  // reading them does not reset.
  const std::int16_t code = control.ErrCode();
  const std::string description = control.ErrDescription().utf8();
  if (session.output().json()) {
    nlohmann::ordered_json document;
    document["TestConnection"] = static_cast<std::int32_t>(verdict);
    document["ErrCode"] = code;
    document["ErrDescription"] = description;
    session.output().Json(document);
  } else {
    std::vector<Row> rows = {{"Verdict", Describe(verdict)},
                             {"Meaning", std::string(Meaning(verdict))}};
    if (code != 0) {
      rows.push_back({"ErrCode", std::to_string(code)});
      rows.push_back({"ErrDescription", Readable(description)});
    }
    session.output().Rows(rows);
  }
  return verdict == ORVULINK_TEST_OK ? kExitOk : kExitFailure;
}

}  // namespace orvulink::cli
