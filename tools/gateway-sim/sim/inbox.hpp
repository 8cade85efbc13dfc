// The messages waiting at the gateway on one reception key, and the download that hands them
// out: a download offers every waiting message, and only the check that follows it (command 5)
// removes the ones it offered. A download that is never confirmed offers them again.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace orvulink::sim {

struct IncomingSms {
  std::string sent;  // "yyyy-mm-dd HH:MM:SS", local time
  std::string sender;
  std::string text;
};

class Inbox {
 public:
  void Receive(IncomingSms sms) { waiting_.push_back(std::move(sms)); }
  // Waiting messages, those offered by a download not yet confirmed included.
  std::size_t Waiting() const { return waiting_.size(); }
  const std::vector<IncomingSms>& messages() const { return waiting_; }

  // Every waiting message, oldest first. A test download holds none of them for the check, so
  // they all stay waiting.
  const std::vector<IncomingSms>& Deliver(bool test);
  // Removes what the last download offered; returns how many. Messages that arrived after
  // the download stay.
  std::size_t Confirm();

 private:
  std::vector<IncomingSms> waiting_;
  std::size_t offered_ = 0;
};

// Fixture form: [{"sender": "+39...", "text": "...", "sent": "yyyy-mm-dd HH:MM:SS"}], "sent"
// optional (default `default_sent`).
void ParseInbox(const nlohmann::json& messages, const std::string& default_sent, Inbox& inbox);
nlohmann::json InboxToJson(const Inbox& inbox);

}  // namespace orvulink::sim
