#include "send_batches.hpp"

#include <algorithm>
#include <set>
#include <stdexcept>
#include <tuple>

namespace orvulink::cli {
namespace {

// ProgresSend fires four times per command.
constexpr std::size_t kStepsPerCommand = 4;

constexpr std::string_view kStageLabels[] = {"composing the command", "waiting for the gateway",
                                             "reading the answer", "answered"};

std::size_t RecipientCount(const std::vector<Outgoing>& outgoing) {
  std::size_t count = 0;
  for (const auto& item : outgoing)
    count += item.phones.size();
  return count;
}

SentMessage Snapshot(const OrvuSendMessage& message) {
  SentMessage sent;
  sent.phone = message.PhoneGsm().utf8();
  sent.text = message.Text().utf8();
  sent.sender = message.Sender().utf8();
  sent.date = message.DateTime();
  sent.parts = message.NumSMS();
  sent.status = message.Status();
  if (const auto ids = message.OrderID()) {
    for (const auto& id : *ids)
      sent.order_ids.push_back(id.utf8());
  }
  return sent;
}

class BatchSender {
 public:
  BatchSender(OrvuSendMessages& list, std::size_t recipients, std::vector<SentMessage>& sent,
              const SendProgress& progress, SendObserver& observer)
      : list_(list),
        sent_(sent),
        progress_(progress),
        observer_(observer),
        capacity_(static_cast<std::size_t>(list.MaxListToSend())),
        commands_((recipients + capacity_ - 1) / capacity_),
        steps_(recipients + kStepsPerCommand * commands_) {
    connection_ = list_.ProgresSend.Connect([this](OrvuLink_CodeProgress& stage) {
      progress_(added_ + kStepsPerCommand * (command_ - 1) + static_cast<std::size_t>(stage) + 1,
                steps_, StageLabel(stage));
    });
  }

  // A group larger than the room left is split; each part stays one group in its command.
  void Add(const Outgoing& item) {
    std::size_t next = 0;
    while (next < item.phones.size()) {
      if (Room() == 0) SendAndEmpty();
      const std::size_t count = std::min(Room(), item.phones.size() - next);
      AddRecipients(item, next, count);
      next += count;
    }
  }

  void Finish() {
    if (list_.Count() > 0) SendAndEmpty();
  }

 private:
  using Key = std::tuple<std::u16string, std::u16string, std::u16string, double>;

  std::size_t Room() const { return capacity_ - static_cast<std::size_t>(list_.Count()); }

  std::string StageLabel(OrvuLink_CodeProgress stage) const {
    const auto index = std::clamp<std::size_t>(static_cast<std::size_t>(stage), 0, 3);
    return "command " + std::to_string(command_) + " of " + std::to_string(commands_) + ": " +
           std::string(kStageLabels[index]);
  }

  void AddRecipients(const Outgoing& item, std::size_t first, std::size_t count) {
    const std::int16_t before = list_.Count();
    cli::AddRecipients(list_, item, first, count);
    for (std::size_t i = 0; i < count; ++i)
      recipients_.push_back(added_ + i);
    added_ += count;
    RefuseEarlierDuplicates(before, item.at);
    progress_(added_ + kStepsPerCommand * command_, steps_, "adding messages");
  }

  // The list knows only its own messages; a duplicate of one sent by an earlier command is
  // withdrawn here and reported as the list would have reported it.
  void RefuseEarlierDuplicates(std::int16_t before, Date at) {
    for (std::int16_t position = before + 1; position <= list_.Count(); ++position) {
      auto message = list_.Item(position);
      if (message->Status() != ORVULINK_MESSAGESEND_TOSEND) continue;
      Key key{message->PhoneGsm().str(), message->Sender().str(), message->Text().str(), at.value};
      if (seen_.insert(std::move(key)).second) continue;
      list_.RemoveMessage(message);
      duplicates_.insert(position);
    }
  }

  void SendAndEmpty() {
    if (!observer_.MayGoOn()) throw SendStopped();
    ++command_;
    observer_.GoingOut(recipients_);
    try {
      list_.SendMessage();  // False: nothing was sendable; each message's status says why
    } catch (...) {
      observer_.CameBack(recipients_, ListAsItStands(), true);
      throw;
    }
    std::vector<SentMessage> answered = ListAsItStands();
    observer_.CameBack(recipients_, answered, false);
    sent_.insert(sent_.end(), std::make_move_iterator(answered.begin()),
                 std::make_move_iterator(answered.end()));
    list_.Clear();
    duplicates_.clear();
    recipients_.clear();
  }

  std::vector<SentMessage> ListAsItStands() const {
    std::vector<SentMessage> messages;
    for (std::int16_t position = 1; position <= list_.Count(); ++position) {
      SentMessage sent = Snapshot(*list_.Item(position));
      if (duplicates_.contains(position)) sent.status = ORVULINK_MESSAGESEND_ERRDOUBLE;
      messages.push_back(std::move(sent));
    }
    return messages;
  }

  OrvuSendMessages& list_;
  std::vector<SentMessage>& sent_;
  const SendProgress& progress_;
  SendObserver& observer_;
  const std::size_t capacity_;
  const std::size_t commands_;
  const std::size_t steps_;
  std::size_t command_ = 0;  // of the command being filled or sent, 1-based once sent
  std::size_t added_ = 0;
  std::set<Key> seen_;
  std::set<std::int16_t> duplicates_;
  std::vector<std::size_t> recipients_;  // of each list position, from the first
  Event<OrvuLink_CodeProgress&>::Connection connection_;
};

}  // namespace

void AddRecipients(OrvuSendMessages& list, const Outgoing& item, std::size_t first,
                   std::size_t count) {
  const std::int16_t before = list.Count();
  VariantBool added;
  if (count == 1) {
    added = list.AddMessage(item.phones[first], item.text, item.sender, item.at);
  } else {
    Collection phones;
    for (std::size_t i = first; i < first + count; ++i)
      phones.Add(Variant(item.phones[i]));
    added = list.AddGroupMessage(phones, item.text, item.sender, item.at);
  }
  // Without AutoSend and with room left the list has no reason to refuse.
  if (!added.IsTrue() || list.Count() - before != static_cast<std::int16_t>(count))
    throw std::runtime_error("the send list did not take the messages");
}

void SendInBatches(OrvuSendMessages& list, const std::vector<Outgoing>& outgoing,
                   std::vector<SentMessage>& sent, const SendProgress& progress,
                   SendObserver& observer) {
  BatchSender sender(list, RecipientCount(outgoing), sent, progress, observer);
  for (const auto& item : outgoing)
    sender.Add(item);
  sender.Finish();
}

}  // namespace orvulink::cli
