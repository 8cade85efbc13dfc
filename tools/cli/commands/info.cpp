// orvulink info: the account's entitlements as the gateway reports them.
#include <nlohmann/json.hpp>
#include <string>

#include "commands/commands.hpp"

namespace orvulink::cli {
namespace {

// Each getter answers 1 or 0; anything else would be a failure, which raises instead.
std::string YesNo(std::int16_t flag) {
  const std::string word = flag == 1 ? "yes" : flag == 0 ? "no" : "unknown";
  return word + " (" + std::to_string(flag) + ")";
}

}  // namespace

void AddInfoCommand(CLI::App& app, CommandConfig& chosen) {
  auto* info = app.add_subcommand("info", "Show the account's entitlements");
  info->callback([&chosen] { chosen = InfoConfig{}; });
}

int Run(const InfoConfig&, Session& session) {
  OrvuLinkActiveX& control = session.Control();
  // One gateway exchange: the control keeps the answer for the next two reads.
  const std::int16_t notify_server = control.NotifyServer();
  const std::int16_t notify_user = control.NotifyUser();
  const std::int16_t foreign_country = control.ForeignCountry();
  if (session.output().json()) {
    nlohmann::ordered_json document;
    document["NotifyServer"] = notify_server;
    document["NotifyUser"] = notify_user;
    document["ForeignCountry"] = foreign_country;
    session.output().Json(document);
  } else {
    session.output().Rows({{"Status service up", YesNo(notify_server)},
                           {"Status queries allowed", YesNo(notify_user)},
                           {"Sending abroad allowed", YesNo(foreign_country)}});
  }
  return kExitOk;
}

}  // namespace orvulink::cli
