#include "sim/inbox.hpp"

#include <algorithm>

namespace orvulink::sim {

const std::vector<IncomingSms>& Inbox::Deliver(bool test) {
  offered_ = test ? 0 : waiting_.size();
  return waiting_;
}

std::size_t Inbox::Confirm() {
  const std::size_t confirmed = std::min(offered_, waiting_.size());
  waiting_.erase(waiting_.begin(), waiting_.begin() + static_cast<std::ptrdiff_t>(confirmed));
  offered_ = 0;
  return confirmed;
}

void ParseInbox(const nlohmann::json& messages, const std::string& default_sent, Inbox& inbox) {
  // A json error, so that the fixture loader reports it like any other malformed entry.
  if (!messages.is_array()) {
    throw nlohmann::json::type_error::create(302, "\"messages\" must be a list", &messages);
  }
  for (const auto& entry : messages) {
    inbox.Receive(IncomingSms{entry.value("sent", default_sent),
                              entry.at("sender").get<std::string>(),
                              entry.at("text").get<std::string>()});
  }
}

nlohmann::json InboxToJson(const Inbox& inbox) {
  nlohmann::json list = nlohmann::json::array();
  for (const auto& sms : inbox.messages())
    list.push_back({{"sent", sms.sent}, {"sender", sms.sender}, {"text", sms.text}});
  return list;
}

}  // namespace orvulink::sim
