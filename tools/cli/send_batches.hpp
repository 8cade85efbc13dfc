// Sending any number of messages through the control's send list, whose capacity is at most
// 3000: fill the list, send it, keep what the gateway said of each message, empty it, go on.
// AutoSend would do the same but empty the list before the host could read the answers.
#pragma once

#include <orvulink/send.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace orvulink::cli {

// One text from one sender at one time to one or more recipients.
struct Outgoing {
  std::vector<std::string> phones;
  std::string text;
  std::string sender;
  Date at;  // Date{}: at once
};

// A message as the list held it when its command had been answered.
struct SentMessage {
  std::string phone;
  std::string text;
  std::string sender;
  Date date;
  std::int16_t parts = 0;
  OrvuLink_StatusMessage status = ORVULINK_MESSAGESEND_INCOMPLETE;
  std::vector<std::string> order_ids;
};

// step of steps, and what is going on.
using SendProgress = std::function<void(std::size_t step, std::size_t steps, std::string_view)>;

// Sends `outgoing` in as many commands as the list's capacity needs, appending each message to
// `sent` once its command is answered: when a later command fails, `sent` still tells what the
// earlier ones did. A recipient given the same text, sender and time twice is refused as
// ERRDOUBLE wherever the two fall, as the list refuses it within one command.
void SendInBatches(OrvuSendMessages& list, const std::vector<Outgoing>& outgoing,
                   std::vector<SentMessage>& sent, const SendProgress& progress);

}  // namespace orvulink::cli
