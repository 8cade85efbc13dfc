// A reception key of an account: its automatic reply and the messages waiting on it.
#pragma once

#include <string>

#include <nlohmann/json.hpp>

#include "sim/inbox.hpp"

namespace orvulink::sim {

struct ReceptionKey {
  std::string key;
  std::string autoresponder;  // "": the gateway's default reply stands
  bool expired = false;       // the gateway refuses a new automatic reply
  Inbox inbox{};
};

// What command 16 reports for a key that has no reply of its own: the gateway never answers it
// with an empty payload, which the client would take for a failed command.
inline constexpr char kDefaultAutoresponder[] = "Message received, thank you";

// Fixture form: "K1", or {"key", "autoresponder", "expired", "messages"} (all but "key"
// optional). Messages without "sent" carry `default_sent`.
ReceptionKey ParseReceptionKey(const nlohmann::json& entry, const std::string& default_sent);
nlohmann::json ReceptionKeyToJson(const ReceptionKey& key);

}  // namespace orvulink::sim
