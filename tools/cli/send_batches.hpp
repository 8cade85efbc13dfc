// Sending any number of messages through the control's send list, whose capacity is at most
// 3000: fill the list, send it, keep what the gateway said of each message, empty it, go on.
// AutoSend would do the same but empty the list before the host could read the answers.
#pragma once

#include <orvulink/send.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
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

// Adds `count` recipients of `item`, from `first`, to the list as one message or one group. The
// list must have room and no AutoSend; throws when it does not take them all.
void AddRecipients(OrvuSendMessages& list, const Outgoing& item, std::size_t first,
                   std::size_t count);

// step of steps, and what is going on.
using SendProgress = std::function<void(std::size_t step, std::size_t steps, std::string_view)>;

// Told around every command, so that a record of it exists before it goes out and its answer is
// kept as soon as it comes back. Recipients are numbered from 0 in the order of `outgoing`.
class SendObserver {
 public:
  virtual ~SendObserver() = default;
  // Asked before each command: false sends no further command.
  virtual bool MayGoOn() = 0;
  virtual void GoingOut(const std::vector<std::size_t>& recipients) = 0;
  // The list as the command left it, answered or not (`failed`: the send raised).
  virtual void CameBack(const std::vector<std::size_t>& recipients,
                        const std::vector<SentMessage>& messages, bool failed) = 0;
};

// Raised instead of sending the next command when the observer says not to go on.
class SendStopped : public std::runtime_error {
 public:
  SendStopped() : std::runtime_error("the send was stopped") {}
};

// Sends `outgoing` in as many commands as the list's capacity needs, appending each message to
// `sent` once its command is answered: when a later command fails, `sent` still tells what the
// earlier ones did. A recipient given the same text, sender and time twice is refused as
// ERRDOUBLE wherever the two fall, as the list refuses it within one command.
void SendInBatches(OrvuSendMessages& list, const std::vector<Outgoing>& outgoing,
                   std::vector<SentMessage>& sent, const SendProgress& progress,
                   SendObserver& observer);

}  // namespace orvulink::cli
