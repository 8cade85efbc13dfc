#include "sim/reception_commands.hpp"

#include <algorithm>

namespace orvulink::sim {
namespace {

constexpr char kMessageSeparator = '\x1F';

ReceptionKey* FindKey(Account& account, const std::string& key) {
  const auto found = std::find_if(account.reception_keys.begin(), account.reception_keys.end(),
                                  [&key](const ReceptionKey& owned) { return owned.key == key; });
  return found == account.reception_keys.end() ? nullptr : &*found;
}

// "count" + " " + the messages joined by character 31; "0 " when none wait.
std::string DownloadPayload(const std::vector<IncomingSms>& messages) {
  std::string payload = std::to_string(messages.size()) + " ";
  for (std::size_t i = 0; i < messages.size(); ++i) {
    if (i > 0) payload += kMessageSeparator;
    payload += FormatDownloadedSms(messages[i]);
  }
  return payload;
}

}  // namespace

std::string FormatDownloadedSms(const IncomingSms& sms) {
  const std::size_t space = sms.sent.find(' ');
  const std::string date = sms.sent.substr(0, space);
  const std::string time = space == std::string::npos ? "" : sms.sent.substr(space + 1);
  return date + '\t' + time + '\t' + sms.sender + '\t' + sms.text;
}

// Opens a download for the check that must follow; a test download holds nothing for it.
Answer DownloadCommand(CommandContext& context) {
  ReceptionKey* key = FindKey(context.account, context.Field("KEY"));
  if (key == nullptr) return Failure(result_code::kAutoresponder);
  const bool test = context.command.Find("TEST") != nullptr;
  context.account.download_open = true;
  return Success(DownloadPayload(key->inbox.Deliver(test)));
}

// Removes what the open downloads of every key offered. With no download to confirm the check
// is refused with "89" alone, and the client drops what it holds.
Answer DownloadCheckCommand(CommandContext& context) {
  if (!context.account.download_open) return Failure(result_code::kMessageWrong);
  context.account.download_open = false;
  std::size_t confirmed = 0;
  for (auto& key : context.account.reception_keys)
    confirmed += key.inbox.Confirm();
  return Success(std::to_string(confirmed) + " confirmed");
}

Answer WaitingCountCommand(CommandContext& context) {
  const ReceptionKey* key = FindKey(context.account, context.Field("KEY"));
  if (key == nullptr) return Failure(result_code::kAutoresponder);
  return Success(std::to_string(key->inbox.Waiting()));
}

Answer AutoresponderQueryCommand(CommandContext& context) {
  const ReceptionKey* key = FindKey(context.account, context.Field("KEY"));
  if (key == nullptr) return Failure(result_code::kAutoresponder);
  return Success(key->autoresponder.empty() ? kDefaultAutoresponder : key->autoresponder);
}

Answer AutoresponderChangeCommand(CommandContext& context) {
  ReceptionKey* key = FindKey(context.account, context.Field("KEY"));
  const std::string& text = context.Field("AUTORESPONDER");
  if (key == nullptr || key->expired || text.empty()) {
    return Failure(result_code::kAutoresponder);
  }
  key->autoresponder = text;
  return Success("autoresponder set");
}

}  // namespace orvulink::sim
