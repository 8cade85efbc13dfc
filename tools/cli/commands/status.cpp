// orvulink status ORDERID[:PHONE]...: the delivery status of sent messages, once or polled
// until every recipient's status is final.
#include <unistd.h>
#include <orvulink/notify.hpp>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "commands/commands.hpp"
#include "progress_bar.hpp"
#include "status_entries.hpp"
#include "status_query.hpp"
#include "status_report.hpp"

namespace orvulink::cli {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::seconds kPollInterval{1};
constexpr char kStandardInput[] = "standard input";

std::vector<StatusEntry> FromFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw UsageError("cannot read " + path.string());
  return ReadStatusEntries(in, path.string());
}

void Append(std::vector<StatusEntry>& entries, std::vector<StatusEntry> more) {
  entries.insert(entries.end(), std::make_move_iterator(more.begin()),
                 std::make_move_iterator(more.end()));
}

// The order IDs of the journal's newest send, each once, in the order they came.
std::vector<StatusEntry> LastSend(Session& session) {
  const auto sends = session.journal().RecentSends(1);
  if (sends.empty()) throw UsageError("--last: the journal holds no send yet");
  std::vector<StatusEntry> entries;
  for (const JournalMessage& message : sends.front().messages) {
    for (const std::string& id : message.result.order_ids) {
      const bool known = std::ranges::any_of(
          entries, [&id](const StatusEntry& entry) { return entry.order_id == id; });
      if (!known) entries.push_back(StatusEntry{id, std::nullopt});
    }
  }
  if (entries.empty())
    throw UsageError("--last: send " + std::to_string(sends.front().id) +
                     " got no order IDs (see orvulink history)");
  return entries;
}

// Arguments in order ("-" standing for standard input), then the file; with neither, standard
// input, unless it is a terminal: nobody would know it waits for typing.
std::vector<StatusEntry> CollectEntries(const StatusConfig& config) {
  std::vector<StatusEntry> entries;
  bool stdin_read = false;
  for (std::size_t i = 0; i < config.entries.size(); ++i) {
    if (config.entries[i] != "-") {
      entries.push_back(ParseStatusEntry(config.entries[i], "argument " + std::to_string(i + 1)));
    } else if (!std::exchange(stdin_read, true)) {
      Append(entries, ReadStatusEntries(std::cin, kStandardInput));
    }
  }
  if (config.file) Append(entries, FromFile(*config.file));
  if (config.entries.empty() && !config.file) {
    if (isatty(STDIN_FILENO) == 1) {
      throw UsageError("give ORDERID[:PHONE]..., --file FILE, or the order IDs on standard input");
    }
    Append(entries, ReadStatusEntries(std::cin, kStandardInput));
  }
  if (entries.empty()) throw UsageError("no order IDs given");
  return entries;
}

void Report(Session& session, const std::vector<OrderStatus>& statuses) {
  Output& output = session.output();
  if (output.json()) {
    output.Json(StatusJson(statuses));
  } else {
    output.Table(StatusTableHeadings(), StatusTableRows(statuses, output.terminal()));
  }
}

std::string Remaining(Clock::duration left) {
  const auto seconds = std::chrono::ceil<std::chrono::seconds>(left).count();
  return std::to_string(seconds) + " s left";
}

// Each round is a fresh query (the list answers an order ID once); the last statuses are
// printed whether they all came to an end or the time ran out.
int WaitForFinal(Session& session, OrvuNotifiedMessages& list,
                 const std::vector<OrderQuery>& orders, std::chrono::seconds limit) {
  const auto deadline = Clock::now() + limit;
  ProgressBar bar(session.diagnostics(), isatty(STDERR_FILENO) == 1);
  for (;;) {
    const auto statuses = QueryStatuses(list, orders);
    const std::size_t final_count = FinalCount(statuses);
    const std::size_t total = RecipientCount(statuses);
    const auto now = Clock::now();
    if (final_count == total || now >= deadline) {
      bar.Clear();
      Report(session, statuses);
      if (final_count == total) return kExitOk;
      session.diagnostics() << "timed out after " << limit.count() << " s: " << total - final_count
                            << " of " << total << " recipients have no final status yet\n";
      return kExitTimedOut;
    }
    bar.Show(final_count, total,
             std::to_string(final_count) + " of " + std::to_string(total) + " final, " +
                 Remaining(deadline - now));
    std::this_thread::sleep_for(std::min<Clock::duration>(kPollInterval, deadline - now));
  }
}

}  // namespace

void AddStatusCommand(CLI::App& app, CommandConfig& chosen) {
  auto* status = app.add_subcommand("status", "Show the delivery status of sent messages");
  auto options = std::make_shared<StatusConfig>();
  status
      ->add_option("ENTRY", options->entries,
                   "Order ID the send gave, or ORDERID:PHONE for one recipient; - reads them, "
                   "one per line, from standard input (also read when nothing is given and it "
                   "is not a terminal)")
      ->type_name("ORDERID[:PHONE]");
  status->add_option("--file", options->file, "Read ORDERID[:PHONE] lines from FILE")
      ->type_name("FILE")
      ->check(CLI::ExistingFile);
  status
      ->add_option("--wait", options->wait_seconds,
                   "Poll every second until every recipient is DELIVERED or failed, for at most "
                   "SECONDS (exit status 4 when time runs out)")
      ->type_name("SECONDS")
      ->check(CLI::Range(1, 86400));
  // The list's capacity (MaxListToNotify); fewer order IDs per gateway command than 3000.
  status->add_option("--batch", options->batch, "Order IDs per gateway command")
      ->check(CLI::Range(1, 3000))
      ->group("");
  status->add_flag("--last", options->last,
                   "Follow the order IDs of the last send, from the local journal");
  status->callback([&chosen, options] { chosen = *options; });
}

int Run(const StatusConfig& config, Session& session) {
  if (config.last && (!config.entries.empty() || config.file))
    throw UsageError("--last takes no order IDs: it follows the journal's last send");
  const auto orders = GroupByOrder(config.last ? LastSend(session) : CollectEntries(config));
  OrvuNotifiedMessages& list = *session.Control().MessagesToNotify();
  if (config.batch) list.MaxListToNotify(*config.batch);
  if (config.wait_seconds) {
    return WaitForFinal(session, list, orders, std::chrono::seconds(*config.wait_seconds));
  }
  Report(session, QueryStatuses(list, orders));
  return kExitOk;
}

}  // namespace orvulink::cli
