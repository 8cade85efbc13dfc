#include "send_recorder.hpp"

#include <unistd.h>

#include <algorithm>

#include "exit_codes.hpp"
#include "interruption.hpp"
#include "progress_bar.hpp"
#include "send_report.hpp"

namespace orvulink::cli {
namespace {

class JournalRecorder : public SendObserver {
 public:
  JournalRecorder(Journal& journal, std::int64_t send, const std::vector<std::int64_t>& seqs)
      : journal_(journal), send_(send), seqs_(seqs) {}

  bool MayGoOn() override { return !InterruptionGuard::Requested(); }
  void GoingOut(const std::vector<std::size_t>& recipients) override {
    batch_ = journal_.GoingOut(send_, Seqs(recipients));
  }
  void CameBack(const std::vector<std::size_t>& recipients,
                const std::vector<SentMessage>& messages, bool) override {
    journal_.CameBack(send_, batch_, Seqs(recipients), messages);
  }

 private:
  std::vector<std::int64_t> Seqs(const std::vector<std::size_t>& recipients) const {
    std::vector<std::int64_t> seqs;
    seqs.reserve(recipients.size());
    for (const std::size_t recipient : recipients)
      seqs.push_back(seqs_.at(recipient));
    return seqs;
  }

  Journal& journal_;
  const std::int64_t send_;
  const std::vector<std::int64_t>& seqs_;
  std::int64_t batch_ = 0;
};

void Report(Session& session, const std::vector<SentMessage>& sent) {
  if (session.output().json()) {
    session.output().Json(MessagesJson(sent));
  } else {
    session.output().Table(MessageTableHeadings(), MessageTableRows(sent));
  }
}

int Verdict(Session& session, const std::vector<SentMessage>& sent) {
  const auto refused = std::count_if(sent.begin(), sent.end(), [](const SentMessage& message) {
    return message.status != ORVULINK_MESSAGESEND_FORWARD;
  });
  if (refused == 0) return kExitOk;
  session.diagnostics() << refused << " of " << sent.size()
                        << " messages were not accepted; see their status\n";
  return kExitNotAccepted;
}

// What the journal knows of the send once it ended early.
void Summarise(Session& session, std::int64_t send, const char* how) {
  const auto record = session.journal().Send(send);
  if (!record) return;
  std::size_t answered = 0, doubtful = 0, unsent = 0;
  for (const JournalMessage& message : record->messages) {
    if (message.outcome == Outcome::kAnswered) ++answered;
    if (message.outcome == Outcome::kUnsent) ++unsent;
    if (message.outcome == Outcome::kInDoubt || message.outcome == Outcome::kInFlight) ++doubtful;
  }
  std::ostream& out = session.diagnostics();
  out << how << ": " << record->messages.size() << " messages: " << answered
      << " answered by the gateway, " << doubtful << " in doubt (sent, no answer came), " << unsent
      << " not sent\n";
  if (doubtful > 0)
    out << "messages in doubt are never sent again on their own: see orvulink history\n";
  if (unsent > 0) out << "orvulink send --resume sends the " << unsent << " not sent\n";
}

}  // namespace

int SendRecorded(Session& session, std::int64_t send, const std::vector<Outgoing>& outgoing,
                 const std::vector<std::int64_t>& seqs, std::optional<int> batch) {
  Journal& journal = session.journal();
  OrvuSendMessages& list = *session.Control().MessagesToSend();
  if (batch) list.MaxListToSend(static_cast<std::int16_t>(*batch));
  std::vector<SentMessage> sent;
  ProgressBar bar(session.diagnostics(), isatty(STDERR_FILENO) == 1);
  const auto progress = [&bar](std::size_t step, std::size_t steps, std::string_view label) {
    bar.Show(step, steps, label);
  };
  const InterruptionGuard interruption;
  JournalRecorder recorder(journal, send, seqs);
  try {
    SendInBatches(list, outgoing, sent, progress, recorder);
  } catch (const SendStopped&) {
    bar.Clear();
    journal.EndSend(send, "interrupted");
    Report(session, sent);
    Summarise(session, send, "interrupted");
    return kExitInterrupted + InterruptionGuard::Signal();
  } catch (...) {
    bar.Clear();
    journal.EndSend(send, "failed");
    // Earlier commands may have been accepted: their order IDs must not be lost with the error.
    if (!sent.empty()) Report(session, sent);
    Summarise(session, send, "the send failed");
    throw;
  }
  bar.Clear();
  journal.EndSend(send, "done");
  Report(session, sent);
  return Verdict(session, sent);
}

std::vector<Outgoing> UnsentOf(const SendRecord& record, std::vector<std::int64_t>& seqs) {
  std::vector<Outgoing> outgoing;
  for (const JournalMessage& entry : record.messages) {
    if (entry.outcome != Outcome::kUnsent) continue;
    const Outgoing& message = entry.message;
    const bool sameGroup = !outgoing.empty() && outgoing.back().text == message.text &&
                           outgoing.back().sender == message.sender &&
                           outgoing.back().at == message.at;
    if (sameGroup)
      outgoing.back().phones.push_back(message.phones.front());
    else
      outgoing.push_back(message);
    seqs.push_back(entry.seq);
  }
  return outgoing;
}

}  // namespace orvulink::cli
