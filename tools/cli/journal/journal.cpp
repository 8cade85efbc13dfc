#include "journal/journal.hpp"

#include <sys/stat.h>

#include <charconv>
#include <cstdlib>
#include <ctime>

#include "exit_codes.hpp"
#include "send_report.hpp"
#include "user_folders.hpp"

namespace orvulink::cli {
namespace {

constexpr char kSchema[] = R"(
CREATE TABLE IF NOT EXISTS sends (
  id INTEGER PRIMARY KEY, started TEXT NOT NULL, origin TEXT NOT NULL, state TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS messages (
  send INTEGER NOT NULL REFERENCES sends(id), seq INTEGER NOT NULL,
  phone TEXT NOT NULL, text TEXT NOT NULL, sender TEXT NOT NULL, at TEXT NOT NULL,
  outcome INTEGER NOT NULL, batch INTEGER,
  phone_gsm TEXT, status INTEGER, parts INTEGER, order_ids TEXT,
  PRIMARY KEY (send, seq));
CREATE TABLE IF NOT EXISTS received (
  id INTEGER PRIMARY KEY, key TEXT NOT NULL, sent TEXT NOT NULL, sender TEXT NOT NULL,
  text TEXT NOT NULL, downloaded TEXT NOT NULL);
)";

constexpr std::string_view kOutcomeNames[] = {"not sent", "in doubt", "answered", "in doubt"};

std::string Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return text;
}

// Dates travel as the exact double, so that a resumed send goes out at the very same time.
std::string DateText(Date date) {
  char text[32];
  const auto end = std::to_chars(text, text + sizeof text, date.value).ptr;
  return std::string(text, end);
}

Date DateFrom(const std::string& text) {
  Date date;
  std::from_chars(text.data(), text.data() + text.size(), date.value);
  return date;
}

std::vector<std::string> Split(const std::string& joined) {
  std::vector<std::string> parts;
  for (std::size_t start = 0; start < joined.size();) {
    const std::size_t comma = std::min(joined.find(',', start), joined.size());
    parts.push_back(joined.substr(start, comma - start));
    start = comma + 1;
  }
  return parts;
}

// A message whose command came back: the list's verdict, or still waiting or in flight.
Outcome OutcomeOf(OrvuLink_StatusMessage status) {
  if (status == ORVULINK_MESSAGESEND_TOSEND) return Outcome::kUnsent;
  if (status == ORVULINK_MESSAGESEND_INSEND) return Outcome::kInDoubt;
  return Outcome::kAnswered;
}

void CreatePrivateFolder(const std::filesystem::path& folder) {
  if (folder.empty() || std::filesystem::exists(folder)) return;
  CreatePrivateFolder(folder.parent_path());
  if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
    throw JournalError("cannot create the journal's folder " + folder.string());
}

}  // namespace

std::string_view OutcomeName(Outcome outcome) {
  return kOutcomeNames[static_cast<std::size_t>(outcome)];
}

Journal::Journal(const std::filesystem::path& path)
    : db_((CreatePrivateFolder(path.parent_path()), path)) {
  db_.Execute("PRAGMA journal_mode=WAL");
  db_.Execute("PRAGMA synchronous=FULL");
  db_.Transaction([this] { db_.Execute(kSchema); });
}

std::int64_t Journal::BeginSend(const std::string& origin, const std::vector<Outgoing>& outgoing) {
  std::int64_t send = 0;
  db_.Transaction([&] {
    db_.Prepare("INSERT INTO sends (started, origin, state) VALUES (?, ?, 'sending')")
        .Run({Now(), origin});
    send = db_.LastInsertId();
    Statement insert = db_.Prepare(
        "INSERT INTO messages (send, seq, phone, text, sender, at, outcome) "
        "VALUES (?, ?, ?, ?, ?, ?, 0)");
    std::int64_t seq = 0;
    for (const Outgoing& item : outgoing)
      for (const std::string& phone : item.phones)
        insert.Run({send, seq++, phone, item.text, item.sender, DateText(item.at)});
  });
  return send;
}

std::int64_t Journal::GoingOut(std::int64_t send, const std::vector<std::int64_t>& seqs) {
  std::int64_t batch = 0;
  db_.Transaction([&] {
    Statement last = db_.Prepare("SELECT COALESCE(MAX(batch), 0) FROM messages WHERE send = ?");
    last.Bind({send}).Step();
    batch = last.Integer(0) + 1;
    Statement mark =
        db_.Prepare("UPDATE messages SET outcome = 1, batch = ? WHERE send = ? AND seq = ?");
    for (const std::int64_t seq : seqs)
      mark.Run({batch, send, seq});
  });
  return batch;
}

void Journal::CameBack(std::int64_t send, std::int64_t batch, const std::vector<std::int64_t>& seqs,
                       const std::vector<SentMessage>& messages) {
  db_.Transaction([&] {
    Statement record = db_.Prepare(
        "UPDATE messages SET outcome = ?, batch = ?, phone_gsm = ?, status = ?, parts = ?, "
        "order_ids = ? WHERE send = ? AND seq = ?");
    for (std::size_t i = 0; i < messages.size() && i < seqs.size(); ++i) {
      const SentMessage& message = messages[i];
      const Outcome outcome = OutcomeOf(message.status);
      record.Run({static_cast<std::int64_t>(outcome),
                  outcome == Outcome::kUnsent ? SqlValue{} : SqlValue{batch}, message.phone,
                  static_cast<std::int64_t>(message.status), std::int64_t{message.parts},
                  JoinedIds(message.order_ids), send, seqs[i]});
    }
  });
}

void Journal::EndSend(std::int64_t send, const std::string& state) {
  db_.Transaction([&] {
    db_.Prepare("UPDATE sends SET state = ? WHERE id = ?").Run({state, send});
  });
}

std::vector<JournalMessage> Journal::Messages(std::int64_t send) {
  Statement select = db_.Prepare(
      "SELECT seq, phone, text, sender, at, outcome, batch, phone_gsm, status, parts, order_ids "
      "FROM messages WHERE send = ? ORDER BY seq");
  select.Bind({send});
  std::vector<JournalMessage> messages;
  while (select.Step()) {
    JournalMessage& m = messages.emplace_back();
    m.seq = select.Integer(0);
    m.message =
        Outgoing{{select.Text(1)}, select.Text(2), select.Text(3), DateFrom(select.Text(4))};
    m.outcome = static_cast<Outcome>(select.Integer(5));
    m.batch = select.MaybeInteger(6);
    m.result.phone = select.Text(7);
    m.result.text = m.message.text;
    m.result.sender = m.message.sender;
    m.result.date = m.message.at;
    m.result.status = static_cast<OrvuLink_StatusMessage>(
        select.MaybeInteger(8).value_or(ORVULINK_MESSAGESEND_TOSEND));
    m.result.parts = static_cast<std::int16_t>(select.Integer(9));
    m.result.order_ids = Split(select.Text(10));
  }
  return messages;
}

std::optional<SendRecord> Journal::Send(std::int64_t id) {
  Statement select = db_.Prepare("SELECT started, origin, state FROM sends WHERE id = ?");
  if (!select.Bind({id}).Step()) return std::nullopt;
  return SendRecord{id, select.Text(0), select.Text(1), select.Text(2), Messages(id)};
}

std::optional<std::int64_t> Journal::LatestResumable() {
  Statement select = db_.Prepare("SELECT MAX(send) FROM messages WHERE outcome = 0");
  select.Bind({}).Step();
  return select.MaybeInteger(0);
}

std::vector<SendRecord> Journal::RecentSends(int limit) {
  std::vector<std::int64_t> ids;
  Statement select = db_.Prepare("SELECT id FROM sends ORDER BY id DESC LIMIT ?");
  select.Bind({std::int64_t{limit}});
  while (select.Step())
    ids.push_back(select.Integer(0));
  std::vector<SendRecord> sends;
  for (const std::int64_t id : ids)
    if (auto send = Send(id)) sends.push_back(std::move(*send));
  return sends;
}

void Journal::StoreReceived(const std::vector<ReceivedRecord>& messages) {
  const std::string now = Now();
  db_.Transaction([&] {
    Statement insert = db_.Prepare(
        "INSERT INTO received (key, sent, sender, text, downloaded) VALUES (?, ?, ?, ?, ?)");
    for (const ReceivedRecord& message : messages)
      insert.Run({message.key, DateText(message.sent), message.sender, message.text, now});
  });
}

std::vector<ReceivedRecord> Journal::Inbox(int limit, const std::string& key) {
  Statement select = db_.Prepare(
      "SELECT key, sent, sender, text, downloaded FROM (SELECT * FROM received "
      "WHERE ? = '' OR key = ? COLLATE NOCASE ORDER BY id DESC LIMIT ?) ORDER BY id");
  select.Bind({key, key, std::int64_t{limit}});
  std::vector<ReceivedRecord> messages;
  while (select.Step())
    messages.push_back(
        {select.Text(0), DateFrom(select.Text(1)), select.Text(2), select.Text(3), select.Text(4)});
  return messages;
}

std::filesystem::path DefaultJournalPath() {
  if (const char* path = std::getenv("ORVULINK_JOURNAL"); path != nullptr && *path != '\0')
    return path;
  const std::filesystem::path folder = XdgFolder("XDG_STATE_HOME", ".local/state");
  if (folder.empty())
    throw UsageError("no journal: neither XDG_STATE_HOME nor HOME is set; set ORVULINK_JOURNAL");
  return folder / "orvulink" / "journal.db";
}

}  // namespace orvulink::cli
