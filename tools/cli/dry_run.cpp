#include "dry_run.hpp"

#include <orvulink/send.hpp>

#include <algorithm>

#include "send_batches.hpp"
#include "send_report.hpp"

namespace orvulink::cli {
namespace {

struct Planned {
  std::size_t group;
  SentMessage message;
};

std::string Counted(std::size_t count, const std::string& noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

std::string When(Date at) {
  return at.IsZero() ? "now" : at.FormatGeneral();
}

// The list holds at most its capacity: it is read and emptied whenever a group would not fit.
class Planner {
 public:
  explicit Planner(OrvuSendMessages& list) : list_(list) { list_.MaxListToSend(kCapacity); }

  void Add(const Outgoing& item, std::size_t group) {
    for (std::size_t first = 0; first < item.phones.size(); first += kCapacity) {
      const std::size_t count = std::min<std::size_t>(kCapacity, item.phones.size() - first);
      if (list_.Count() + count > kCapacity) Drain();
      AddRecipients(list_, item, first, count);
      groups_.insert(groups_.end(), count, {group, item.at});
    }
  }

  std::vector<Planned> Finish() {
    Drain();
    return std::move(planned_);
  }

 private:
  static constexpr std::int16_t kCapacity = 3000;
  struct Origin {
    std::size_t group;
    Date at;
  };

  void Drain() {
    for (std::int16_t position = 1; position <= list_.Count(); ++position) {
      const auto message = list_.Item(position);
      const Origin& origin = groups_[static_cast<std::size_t>(position - 1)];
      planned_.push_back({origin.group,
                          {message->PhoneGsm().utf8(),
                           message->Text().utf8(),
                           message->Sender().utf8(),
                           origin.at,
                           message->NumSMS(),
                           message->Status(),
                           {}}});
    }
    list_.Clear();
    groups_.clear();
  }

  OrvuSendMessages& list_;
  std::vector<Origin> groups_;
  std::vector<Planned> planned_;
};

void PrintJson(const std::vector<Planned>& planned, Output& output) {
  auto array = nlohmann::ordered_json::array();
  for (const auto& [group, message] : planned) {
    array.push_back(
        {{"Group", group},
         {"PhoneGsm", message.phone},
         {"Text", message.text},
         {"Sender", message.sender},
         {"DateTime", message.date.IsZero() ? nlohmann::ordered_json(nullptr)
                                            : nlohmann::ordered_json(message.date.FormatGeneral())},
         {"NumSMS", message.parts},
         {"Status", static_cast<std::int32_t>(message.status)},
         {"StatusName", StatusName(message.status)}});
  }
  output.Json(array);
}

void PrintTable(const std::vector<Planned>& planned, Output& output) {
  std::vector<std::vector<std::string>> rows;
  for (const auto& [group, message] : planned) {
    rows.push_back({std::to_string(group), message.phone, std::string(StatusName(message.status)),
                    std::to_string(message.parts), message.sender, When(message.date),
                    message.text});
  }
  output.Table({"Group", "PhoneGsm", "Status", "NumSMS", "Sender", "DateTime", "Text"}, rows);
}

}  // namespace

void PrintDryRun(const std::vector<Outgoing>& outgoing, Session& session) {
  Planner planner(*session.Control().MessagesToSend());
  for (std::size_t i = 0; i < outgoing.size(); ++i)
    planner.Add(outgoing[i], i + 1);
  const std::vector<Planned> planned = planner.Finish();
  if (session.output().json()) {
    PrintJson(planned, session.output());
  } else {
    PrintTable(planned, session.output());
  }
  std::size_t parts = 0;
  for (const auto& entry : planned)
    parts += entry.message.status == ORVULINK_MESSAGESEND_TOSEND ? entry.message.parts : 0;
  session.diagnostics() << "dry run: " << Counted(planned.size(), "message") << " in "
                        << Counted(outgoing.size(), "group") << ", " << Counted(parts, "SMS part")
                        << " to send; nothing was sent\n";
}

}  // namespace orvulink::cli
