// The local journal: every send recorded before it goes out and its answer as soon as it comes
// back, every downloaded message before it is printed. A person can then see what went out
// (history), what came in (inbox), and go on with a send that was cut short (send --resume)
// without sending anything twice.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "journal/database.hpp"
#include "send_batches.hpp"

namespace orvulink::cli {

// What is known of one recipient of a send.
enum class Outcome {
  kUnsent,    // not in any command yet, or in one the gateway refused as a whole
  kInFlight,  // its command went out and no answer has been recorded: the run ended meanwhile
  kAnswered,  // the gateway's verdict (or the list's refusal) is in `status`
  kInDoubt,   // its command went out but no usable answer came: it may be at the gateway
};

std::string_view OutcomeName(Outcome outcome);

struct JournalMessage {
  std::int64_t seq = 0;  // its place in the send, from 0
  Outgoing message;      // one phone, as given
  Outcome outcome = Outcome::kUnsent;
  std::optional<std::int64_t> batch;  // the command that carried it, from 1
  SentMessage result;                 // what the list showed once its command came back
};

struct SendRecord {
  std::int64_t id = 0;
  std::string started;  // local time, "yyyy-mm-dd HH:MM:SS"
  std::string origin;   // "--to" or the CSV file's path
  std::string state;    // "sending", "done", "failed", "interrupted"
  std::vector<JournalMessage> messages;
};

struct ReceivedRecord {
  std::string key;
  Date sent;
  std::string sender;
  std::string text;
  std::string downloaded;  // local time
};

class Journal {
 public:
  // Opens (or creates) the journal; its folder is created private to the user.
  explicit Journal(const std::filesystem::path& path);

  // Records a new send and its recipients, all unsent; returns its id.
  std::int64_t BeginSend(const std::string& origin, const std::vector<Outgoing>& outgoing);
  // The recipients (by seq) of the next command of `send`, before it goes out; returns the
  // command's number.
  std::int64_t GoingOut(std::int64_t send, const std::vector<std::int64_t>& seqs);
  // What the list showed once the command came back (answered, refused or failed).
  void CameBack(std::int64_t send, std::int64_t batch, const std::vector<std::int64_t>& seqs,
                const std::vector<SentMessage>& messages);
  void EndSend(std::int64_t send, const std::string& state);

  std::optional<SendRecord> Send(std::int64_t id);
  // The newest send with recipients still unsent, if any.
  std::optional<std::int64_t> LatestResumable();
  // The newest sends first, at most `limit`.
  std::vector<SendRecord> RecentSends(int limit);

  void StoreReceived(const std::vector<ReceivedRecord>& messages);
  // The newest `limit` received messages, oldest first; of one key when `key` is not empty.
  std::vector<ReceivedRecord> Inbox(int limit, const std::string& key);

 private:
  std::vector<JournalMessage> Messages(std::int64_t send);

  Database db_;
};

// $ORVULINK_JOURNAL, else $XDG_STATE_HOME/orvulink/journal.db, else
// $HOME/.local/state/orvulink/journal.db. Throws a UsageError when none gives a place.
std::filesystem::path DefaultJournalPath();

}  // namespace orvulink::cli
