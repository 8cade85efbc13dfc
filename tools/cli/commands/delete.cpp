// orvulink delete ORDERID [PHONE]: deletes an order's messages, or one recipient's.
#include <nlohmann/json.hpp>
#include <string>

#include "commands/commands.hpp"

namespace orvulink::cli {

void AddDeleteCommand(CLI::App& app, CommandConfig& chosen) {
  auto* remove = app.add_subcommand("delete", "Delete the queued or sent messages of an order");
  auto options = std::make_shared<DeleteConfig>();
  auto phone = std::make_shared<std::string>();
  remove->add_option("ORDERID", options->order_id, "Order ID the send gave")->required();
  auto* phone_option =
      remove->add_option("PHONE", *phone, "Only this recipient (default: every recipient)");
  remove->callback([&chosen, options, phone, phone_option] {
    DeleteConfig config = *options;
    if (phone_option->count() > 0) config.phone = *phone;
    chosen = std::move(config);
  });
}

int Run(const DeleteConfig& config, Session& session) {
  OrvuLinkActiveX& control = session.Control();
  // The gateway's answer is passed on as it came: its meaning is the gateway's.
  const std::string payload = config.phone
                                  ? control.DelMessage(config.order_id, *config.phone).utf8()
                                  : control.DelMessage(config.order_id).utf8();
  if (session.output().json()) {
    session.output().Json({{"DelMessage", payload}});
  } else {
    session.output().Value("Gateway answer", payload);
  }
  return kExitOk;
}

}  // namespace orvulink::cli
