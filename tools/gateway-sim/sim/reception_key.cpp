#include "sim/reception_key.hpp"

namespace orvulink::sim {

ReceptionKey ParseReceptionKey(const nlohmann::json& entry, const std::string& default_sent) {
  ReceptionKey key;
  if (entry.is_string()) {
    key.key = entry.get<std::string>();
    return key;
  }
  key.key = entry.at("key").get<std::string>();
  key.autoresponder = entry.value("autoresponder", std::string());
  key.expired = entry.value("expired", false);
  ParseInbox(entry.value("messages", nlohmann::json::array()), default_sent, key.inbox);
  return key;
}

nlohmann::json ReceptionKeyToJson(const ReceptionKey& key) {
  return {{"key", key.key},
          {"autoresponder", key.autoresponder},
          {"expired", key.expired},
          {"messages", InboxToJson(key.inbox)}};
}

}  // namespace orvulink::sim
