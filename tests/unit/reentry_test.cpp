// Randomised re-entry: a host whose pump hook and progress handlers call back into the component
// at every chance, against a fake gateway that computes each answer from the request it gets.
// After every top-level step the test checks what a host can see against what went on the wire.
#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/notify.hpp>
#include <orvulink/send.hpp>

#include "fake_network.hpp"
#include "test_support.hpp"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <sstream>

namespace orvulink {
namespace {

using Status = OrvuLink_StatusMessage;
constexpr Status TOSEND = ORVULINK_MESSAGESEND_TOSEND, INSEND = ORVULINK_MESSAGESEND_INSEND,
                 FORWARD = ORVULINK_MESSAGESEND_FORWARD, CANCELLED = ORVULINK_MESSAGESEND_CANCELLED,
                 ERRGATEWAY = ORVULINK_MESSAGESEND_ERRGATEWAY,
                 NONE = ORVULINK_MESSAGESEND_INCOMPLETE;

std::vector<std::string> SplitOn(const std::string& text, const std::string& separator) {
  std::vector<std::string> parts;
  for (std::size_t start = 0, end = 0; end != std::string::npos; start = end + separator.size()) {
    end = text.find(separator, start);
    parts.push_back(text.substr(start, end - start));
  }
  return parts;
}

void Append(std::string& list, const std::string& separator, const std::string& item) {
  list += (list.empty() ? "" : separator) + item;
}

// A command as the gateway received it. CMD=14: recipient -> its line's order IDs ("" when it
// got none) and whether it was refused; CMD=15: order ID -> whether a status was reported.
struct WireCommand {
  int number = 0;
  bool accepted = false;
  std::map<std::string, std::pair<std::string, bool>> verdicts;
};

// A message as the test knows it, and what happened to it.
struct Held {
  std::shared_ptr<OrvuSendMessage> message;
  std::string phone;
  Status addFailure;                  // the failure its values earn at the add, or NONE
  std::optional<Status> removedAs{};  // its status at the first RemoveMessage
  bool removedAfterOutcome = false;
  std::size_t barredFrom = SIZE_MAX;  // commands from this index on must not carry it
  int acceptedIn = -1;
  std::string orderIds{};
  bool refusedByGateway = false;
};

// One seeded session: a signed-in control, the host's hook and handlers, and the model.
class Session {
 public:
  explicit Session(unsigned seed) : seed_(seed), rng_(seed) {
    control_->AutomaticProxy(false);
    control_->UserName("mario");
    control_->Password("segreto");
    if (Pick(2) == 0) notify_->MaxListToNotify(static_cast<std::int16_t>(4 + Pick(8)));
    notify_->AutoNotify(VariantBool(Pick(2) == 0));
    HostCalls(true);
  }
  ~Session() {
    HostCalls(false);
    platform::SetHttpClientFactory(previousFactory_);
  }

  void Run(int steps) {
    for (int step = 1; step <= steps && problems_.empty(); ++step)
      Check("step " + std::to_string(step) + " (" + RandomOperation(true) + ")");
  }

 private:
  // The fake gateway: answers each request from its content, refusing whole commands and single
  // recipients at random.
  std::string Answer(const std::string& body) {
    ++requests_;
    std::map<std::string, std::string> fields;
    for (const std::string& field : SplitOn(body, "&")) {
      const std::size_t equals = field.find('=');
      fields[field.substr(0, equals)] = equals == std::string::npos ? "" : field.substr(equals + 1);
    }
    WireCommand wire{std::atoi(fields["CMD"].c_str()), !Chance(0.12), {}};
    const std::string payload = wire.number == 14
                                    ? SendResult(fields["SENDDATA"], wire)
                                    : StatusResult(Decoded(fields["QUERYDATA"]), wire);
    acceptedSends_ += wire.accepted && wire.number == 14;
    commands_.push_back(std::move(wire));
    // Refusals (96..99) the exchange accepts as answers: the command's messages wait again.
    return commands_.back().accepted ? "01 " + payload : std::to_string(96 + rng_() % 4) + " X";
  }

  // Every character of a value travels as "%XX"; anything else is a fault of the encoder.
  std::string Decoded(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 3) {
      if (text[i] != '%' || i + 2 >= text.size()) return ++malformed_, out;
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
    }
    return out;
  }

  // Lines of group, sender, recipients, text, date, time; a record group;IDs;refused for each.
  std::string SendResult(const std::string& data, WireCommand& wire) {
    std::string records;
    for (const std::string& line : SplitOn(data, "\r\n")) {
      const std::vector<std::string> field = SplitOn(line, "\t");
      if (field.size() != 6) return ++malformed_, records;
      const std::string group = Decoded(field[0]), tag = std::to_string(commands_.size());
      std::string ids = "O" + tag + "-" + group, refused;
      if (Chance(0.3)) ids += ",P" + tag + "-" + group;
      for (const std::string& phone : SplitOn(Decoded(field[2]), ",")) {
        const bool refuse = Chance(0.15);
        if (refuse) Append(refused, ",", phone);
        // A number twice in one command is a message sent twice.
        if (!wire.verdicts.try_emplace(phone, wire.accepted && !refuse ? ids : "", refuse).second)
          ++malformed_;
      }
      Append(records, "\t", group + ";" + ids + ";" + refused);
    }
    return records;
  }

  // QUERYDATA "id:phone;id:;...": a line per order ID with a status, or NULL.
  std::string StatusResult(const std::string& query, WireCommand& wire) {
    std::string lines;
    for (const std::string& entry : SplitOn(query, ";")) {
      const std::size_t colon = entry.find(':');
      if (colon == std::string::npos) continue;
      const std::string id = entry.substr(0, colon), named = entry.substr(colon + 1);
      const bool reported = Chance(0.75);
      wire.verdicts[id] = {"", reported && wire.accepted};
      const std::string phone = named.empty() ? "+390000000" : named;
      Append(lines, "\r\n",
             id + "\t" + (reported ? "2006-01-20,15:30:45," + phone + ",3" : "NULL"));
    }
    return lines;
  }

  // What the test does between checks, and (other weights) what the host's code does when
  // called back.
  const char* RandomOperation(bool top) {
    static constexpr std::array<const char*, 6> kNames = {"add",    "send",  "GetStatusNotify",
                                                          "remove", "empty", "status list edit"};
    static constexpr std::array<int, 6> kTop = {4, 4, 1, 1, 1, 2}, kHost = {4, 2, 0, 1, 1, 2};
    static constexpr std::array<void (Session::*)(), 6> kRuns = {
        &Session::Add,    &Session::Command, &Session::QueryStatus,
        &Session::Remove, &Session::Empty,   &Session::EditStatusList};
    const auto which = static_cast<std::size_t>(std::discrete_distribution<int>(
        top ? kTop.begin() : kHost.begin(), top ? kTop.end() : kHost.end())(rng_));
    (this->*kRuns[which])();
    return kNames[which];
  }

  // The pump hook and both progress handlers: now and then, any call a host may make.
  void HostCode() {
    if (depth_ >= 2 || !Chance(0.3)) return;
    ++depth_;
    RandomOperation(false);
    --depth_;
  }
  void HostCalls(bool on) {
    platform::SetMessagePump(on ? platform::PumpHook([this] { HostCode(); }) : nullptr);
    const auto handler = [this](OrvuLink_CodeProgress&) { HostCode(); };
    sendEvents_ = on ? list_->ProgresSend.Connect(handler) : decltype(sendEvents_){};
    notifyEvents_ = on ? notify_->ProgresNotify.Connect(handler) : decltype(notifyEvents_){};
  }

  std::size_t Pick(std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng_);
  }
  bool Chance(double p) { return std::uniform_real_distribution<>(0, 1)(rng_) < p; }
  template <class... Pieces>
  void Problem(const Pieces&... pieces) {
    std::ostringstream text;
    (text << ... << pieces);
    problems_.push_back(text.str());
  }
  Status StatusOf(std::size_t index) const { return held_[index].message->Status(); }
  std::size_t Sent() const { return commands_.size(); }
  // A withdrawn waiting message may go out in no later command.
  void Bar(std::size_t index) {
    held_[index].barredFrom = std::min(held_[index].barredFrom, Sent());
  }

  // Runs one call of the host. One that starts a gateway command from inside the component's
  // own must be refused with error 5 before it reaches the gateway; no other call may be.
  template <class Call>
  bool Attempt(const std::string& what, bool command, Call&& call) {
    const bool mustRefuse = depth_ > 0 && command;
    const int requests = requests_;
    try {
      call();
    } catch (const AutomationError& error) {
      const bool nested =
          error.Number() == 5 &&
          error.Description() ==
              BStr("OrvuLink: a gateway command is already in progress on this thread");
      if (nested != mustRefuse || (nested && requests_ != requests))
        Problem(what, mustRefuse ? " nested: " : ": ", error.what(), ", ", requests_ - requests,
                " requests");
      return false;
    }
    if (mustRefuse) Problem("nested ", what, " was not refused");
    return true;
  }

  // Adds one message, or a group that fits without an automatic send. Numbers are unique, so
  // that a number twice on the wire is a message sent twice; few texts and senders, so that
  // groups form; now and then a single message fails its check. What was added stands at the
  // end of the list; an automatic send emptied it but for what was added meanwhile and waits.
  void Add() {
    const std::size_t size = Pick(4) == 0 ? 2 + Pick(3) : 1;
    const bool bad = size == 1 && Pick(8) == 0;  // one failed check stands for all
    const std::string text = Pick(2) ? "Ciao" : "Avviso", sender = Pick(2) ? "Mario" : "Shop";
    const Date date = Pick(4) ? Date{} : Date(47485.5);  // 2030-01-02
    std::vector<std::string> phones;
    Collection group;
    for (std::size_t i = 0; i < size; ++i) {
      phones.push_back((bad ? "+39x" : "+39333") + std::to_string(1000000 + ++numbers_));
      group.Add(Variant(phones.back()));
    }
    const bool full = list_->Count() + static_cast<int>(size) > list_->MaxListToSend();
    if (full && size > 1) return;
    const int sends = acceptedSends_;
    const std::size_t start = held_.size();
    VariantBool done;
    const auto add = [&] {
      done = size > 1 ? list_->AddGroupMessage(group, text, sender, date)
                      : list_->AddMessage(phones[0], text, sender, date);
    };
    if (!Attempt("AddMessage", full && list_->AutoSend().IsOn(), add) || !done.IsTrue()) return;
    if (acceptedSends_ != sends)
      std::erase_if(model_, [&](std::size_t i) { return i < start || StatusOf(i) != TOSEND; });
    const std::size_t count = static_cast<std::size_t>(list_->Count());
    for (std::size_t i = 0; i < size; ++i) {
      auto message = list_->Item(static_cast<std::int16_t>(count - size + i + 1));
      if (!message || message->PhoneGsm().utf8() != phones[i])
        return Problem("added ", phones[i], " is not at the end of the list");
      byPhone_[phones[i]] = held_.size();
      model_.push_back(held_.size());
      held_.push_back({message, phones[i], bad ? ORVULINK_MESSAGESEND_ERRPHONEGSM : NONE});
    }
  }

  void Remove() {
    if (model_.empty()) return;
    const std::size_t index = model_[Pick(model_.size())];
    auto message = held_[index].message;  // the host's code may add to held_ meanwhile
    const Status was = message->Status();
    VariantBool removed;
    if (!Attempt("RemoveMessage", false, [&] { removed = list_->RemoveMessage(message); })) return;
    Held& held = held_[index];
    if (!removed.IsTrue()) return Problem("RemoveMessage refused ", held.phone);
    if (!held.removedAs) held.removedAs = was;
    held.removedAfterOutcome |= was == FORWARD || was == ERRGATEWAY;
    if (was == TOSEND) Bar(index);
  }

  // Clear, or a new capacity (which empties the list too); a small one, with AutoSend on, makes
  // the adds send on their own.
  void Empty() {
    const bool capacity = Pick(2) == 0, small = Pick(3) == 0;
    const auto size = static_cast<std::int16_t>(small ? 2 + Pick(4) : 1 + Pick(3000));
    std::vector<std::size_t> waiting;
    for (std::size_t index : model_)
      if (StatusOf(index) == TOSEND) waiting.push_back(index);
    if (!Attempt("Clear/MaxListToSend", false,
                 [&] { capacity ? list_->MaxListToSend(size) : list_->Clear(); }))
      return;
    std::ranges::for_each(waiting, [&](std::size_t index) { Bar(index); });
    model_.clear();
    list_->AutoSend(VariantBool(small || Pick(2) == 0));
  }

  void EditStatusList() {
    const std::string fresh = 'N' + std::to_string(++numbers_);
    const bool full = notify_->Count() >= notify_->MaxListToNotify();
    VariantBool added;
    if (Pick(5) == 0)
      Attempt("status list Clear", false, [&] { notify_->Clear(); });
    else if (Attempt("status list AddMessage", full && notify_->AutoNotify().IsOn(),
                     [&] { added = notify_->AddMessage(fresh, Pick(2) ? "" : "+39333"); }) &&
             added.IsTrue() && inQuery_)
      addedDuringQuery_.insert(fresh);
  }

  // A send; every gateway command shares the one guard, so the host's nested ones are sends too.
  void Command() {
    Attempt("SendMessage", true, [&] { list_->SendMessage(); });
  }

  // Queries the list: what was asked takes the answer; what was added while the query ran waits
  // for the next one.
  void QueryStatus() {
    std::set<std::string> pending;
    for (const auto& id : *notify_)
      if (id->Status() == ORVULINK_ORDERID_TOVERIFY) pending.insert(id->OrderID().utf8());
    const std::size_t first = Sent();
    inQuery_ = true;
    addedDuringQuery_.clear();
    Attempt("GetStatusNotify", true, [&] { notify_->GetStatusNotify(); });
    inQuery_ = false;
    const WireCommand* query = nullptr;
    for (std::size_t i = first; i < Sent() && !query; ++i)
      if (commands_[i].number == 15) query = &commands_[i];
    for (const auto& entry : *notify_) {
      const std::string id = entry->OrderID().utf8();
      const bool asked = query && query->verdicts.contains(id);
      if (!asked && query && pending.contains(id)) Problem("order ID ", id, " was not queried");
      if (!asked && !addedDuringQuery_.contains(id)) continue;
      const auto expected = !asked || !query->accepted      ? ORVULINK_ORDERID_TOVERIFY
                            : query->verdicts.at(id).second ? ORVULINK_ORDERID_CORRECTED
                                                            : ORVULINK_ORDERID_NOTCORRECTED;
      if (entry->Status() != expected)
        Problem("order ID ", id, " is ", entry->Status(), ", expected ", expected);
    }
  }

  // What went out: never a number again once accepted, never a withdrawn or failed message.
  void CheckWire() {
    for (; wireChecked_ < Sent(); ++wireChecked_) {
      const WireCommand& wire = commands_[wireChecked_];
      if (wire.number != 14) continue;
      for (const auto& [phone, verdict] : wire.verdicts) {
        if (!byPhone_.contains(phone)) {
          Problem("unknown number ", phone, " in command ", wireChecked_);
          continue;
        }
        Held& held = held_[byPhone_[phone]];
        if (held.addFailure != NONE || held.acceptedIn >= 0 || wireChecked_ >= held.barredFrom)
          Problem(phone, " went out in command ", wireChecked_, " (failed ", held.addFailure,
                  ", accepted in ", held.acceptedIn, ", withdrawn before ", held.barredFrom, ")");
        if (!wire.accepted) continue;
        held.acceptedIn = static_cast<int>(wireChecked_);
        std::tie(held.orderIds, held.refusedByGateway) = verdict;
      }
    }
  }

  // What the message should show: its failure, waiting, or the verdict of the accepted command
  // that carried it (kept by a removal during the command, replaced by a removal after it).
  std::string Expectation(const Held& held, const OrvuSendMessage& message) const {
    const Status status = message.Status();
    const bool cancelled = status == CANCELLED && held.removedAs;
    if (status == INSEND) return "left INSEND";
    if (held.addFailure != NONE)
      return status == held.addFailure || cancelled ? "" : "failure lost";
    if (held.acceptedIn < 0) return status == TOSEND || cancelled ? "" : "never accepted";
    const Status outcome = held.removedAfterOutcome ? CANCELLED
                           : held.refusedByGateway  ? ERRGATEWAY
                                                    : FORWARD;
    if (status != outcome) return "expected " + std::to_string(outcome);
    std::string ids;
    if (const auto orderIds = message.OrderID())
      for (const BStr& id : *orderIds)
        Append(ids, ",", id.utf8());
    return ids == held.orderIds ? "" : "order IDs '" + ids + "', expected '" + held.orderIds + "'";
  }

  void Check(const std::string& where) {
    CheckWire();
    for (const Held& held : held_) {
      const std::string wrong = Expectation(held, *held.message);
      if (!wrong.empty()) Problem(held.phone, " is ", held.message->Status(), ": ", wrong);
    }
    // The list holds exactly what was added since it was last emptied.
    std::string listed, expected;
    for (const auto& message : *list_)
      Append(listed, " ", message->PhoneGsm().utf8());
    for (std::size_t index : model_)
      Append(expected, " ", held_[index].phone);
    if (listed != expected) Problem("the list holds [", listed, "], expected [", expected, "]");
    // A removed message may still count as it stood; the others count exactly as they stand.
    std::array<int, 4> low{};
    int removed = 0;
    for (std::size_t index : listed == expected ? model_ : std::vector<std::size_t>{}) {
      const Status s = StatusOf(index);
      const std::size_t c = s == FORWARD ? 0 : s == TOSEND ? 2 : s < 0 && s != CANCELLED ? 1 : 3;
      ++(held_[index].removedAs ? removed : low[c]);
    }
    const std::array<int, 3> counts = {list_->CountMessageForward(), list_->CountMessageError(),
                                       list_->CountMessageToSend()};
    for (std::size_t c = 0; listed == expected && c < counts.size(); ++c)
      if (counts[c] < low[c] || counts[c] > low[c] + removed)
        Problem("counter ", c, " (Forward, Error, ToSend) is ", counts[c], ", expected ", low[c],
                "+", removed);
    if (malformed_) Problem("the gateway received malformed or repeated values");
    if (!problems_.empty())
      ADD_FAILURE() << "seed " << seed_ << ", " << where << ": " << problems_.front() << " (of "
                    << problems_.size() << ")";
  }

  unsigned seed_;
  std::mt19937 rng_;
  std::vector<WireCommand> commands_;
  int requests_ = 0, acceptedSends_ = 0, malformed_ = 0;
  std::shared_ptr<testing::HttpScript> script_ = std::make_shared<testing::HttpScript>();
  testing::ScopedClock scopedClock_{std::make_shared<testing::FakeClock>()};
  testing::ScopedOnlineCheck online_{std::make_shared<testing::SwitchableOnlineCheck>()};
  // Every exchange's client asks the session's gateway.
  struct Client : testing::FakeHttpClient {
    explicit Client(Session& s) : FakeHttpClient(s.script_), session(s) {}
    BStr Send(const BStr& body) override {
      return BStr(testing::HttpScript::Framed(session.Answer(body.utf8())));
    }
    BStr StatusText() override { return BStr("OK"); }
    std::int32_t StatusCode() override { return 200; }
    Session& session;
  };
  platform::HttpClientFactory previousFactory_ =
      platform::SetHttpClientFactory([this] { return std::make_unique<Client>(*this); });
  std::shared_ptr<OrvuLinkActiveX> control_ = OrvuLinkActiveX::Create();
  std::shared_ptr<OrvuSendMessages> list_ = control_->MessagesToSend();
  std::shared_ptr<OrvuNotifiedMessages> notify_ = control_->MessagesToNotify();
  Event<OrvuLink_CodeProgress&>::Connection sendEvents_, notifyEvents_;
  std::vector<Held> held_;
  std::map<std::string, std::size_t> byPhone_;
  std::vector<std::size_t> model_;  // what the list should hold, in order
  int numbers_ = 0, depth_ = 0;
  bool inQuery_ = false;
  std::set<std::string> addedDuringQuery_;
  std::size_t wireChecked_ = 0;
  std::vector<std::string> problems_;
};

TEST(Reentry, HostCallsFromHooksAndEventsKeepTheListsConsistent) {
  for (unsigned seed = 1; seed <= 100; ++seed)
    Session(seed).Run(80);
}

}  // namespace
}  // namespace orvulink
