// orvulink send: one text to one or more recipients, or the list of a CSV file, in as many
// gateway commands as the send list's capacity needs; then what became of each message.
#include <orvulink/send.hpp>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "commands/commands.hpp"
#include "csv_messages.hpp"
#include "host_text.hpp"
#include "outgoing_review.hpp"
#include "send_batches.hpp"
#include "send_help.hpp"
#include "send_recorder.hpp"
#include "send_time.hpp"

namespace orvulink::cli {
namespace {

std::string CheckSendTime(const std::string& text) {
  return ParseSendTime(text) ? std::string()
                             : "not a date and time in the form " + std::string(kSendTimeFormat);
}

void RequireUtf8(std::string_view option, std::string_view value) {
  if (!IsValidUtf8(value)) throw UsageError(std::string(option) + " is not UTF-8 text");
}

void CheckOptions(const SendConfig& config) {
  // Checked here: CLI11 names a hidden option in its errors by an empty string.
  if (config.batch && (*config.batch < 1 || *config.batch > 3000)) {
    throw UsageError("--batch must be 1 to 3000");
  }
  if (config.sender) RequireUtf8("--sender", *config.sender);
  if (config.file) return;  // CLI11 keeps --to, --text and --at away from --file
  if (config.to.empty()) throw UsageError("give --to NUMBER and --text TEXT, or --file FILE.csv");
  if (!config.text) throw UsageError("missing --text");
  if (config.text->empty()) throw UsageError("--text is empty");
  if (!config.sender || config.sender->empty()) throw UsageError("missing --sender");
  for (const auto& phone : config.to)
    RequireUtf8("--to", phone);
  RequireUtf8("--text", *config.text);
}

std::vector<Outgoing> FromOptions(const SendConfig& config) {
  const Date at = config.at ? Date::FromParts(*config.at) : Date{};
  return {Outgoing{config.to, WithCrLfLineBreaks(*config.text), *config.sender, at}};
}

std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  if (!in || in.bad()) throw UsageError("cannot read " + path.string());
  return content.str();
}

// Every row is checked before the first is added: a bad row must not leave half a list sent.
std::vector<Outgoing> FromFile(const SendConfig& config) {
  const std::string content = ReadWholeFile(*config.file);
  std::vector<CsvMessage> rows;
  try {
    rows = ReadCsvMessages(content, config.sender.value_or(""));
  } catch (const CsvError& error) {
    throw UsageError(config.file->string() + ": " + error.what() + "; nothing was sent");
  }
  if (rows.empty()) throw UsageError(config.file->string() + " holds no messages");
  std::vector<Outgoing> outgoing;
  outgoing.reserve(rows.size());
  for (auto& row : rows) {
    const Date at = row.at ? Date::FromParts(*row.at) : Date{};
    outgoing.push_back(
        Outgoing{{std::move(row.phone)}, WithCrLfLineBreaks(row.text), std::move(row.sender), at});
  }
  return outgoing;
}

// The journal's newest send with messages not sent: those go out, nothing else.
int Resume(const SendConfig& config, Session& session) {
  if (!config.to.empty() || config.text || config.file || config.at || config.sender)
    throw UsageError("--resume takes no messages: it sends what the journal's last send left");
  Journal& journal = session.journal();
  const auto send = journal.LatestResumable();
  const auto record = send ? journal.Send(*send) : std::nullopt;
  if (!record) {
    session.diagnostics() << "nothing to resume: every recorded message went out\n";
    return kExitOk;
  }
  std::vector<std::int64_t> seqs;
  const std::vector<Outgoing> outgoing = UnsentOf(*record, seqs);
  session.diagnostics() << "resuming send " << record->id << " of " << record->started << " ("
                        << record->origin << "): " << seqs.size() << " of "
                        << record->messages.size() << " messages were not sent\n";
  return SendRecorded(session, record->id, outgoing, seqs, config.batch);
}

}  // namespace

void AddSendCommand(CLI::App& app, CommandConfig& chosen) {
  auto* send = app.add_subcommand(
      "send", "Send SMS: one text to one or more recipients, or the messages of a CSV file");
  auto options = std::make_shared<SendConfig>();
  auto at = std::make_shared<std::string>();
  auto* to = send->add_option("--to", options->to,
                              "Recipient in international form (+39..., 0039...); repeat it to "
                              "send to a group")
                 ->type_name("NUMBER");
  auto* text = send->add_option("--text", options->text, "The message")->type_name("TEXT");
  send->add_option("--sender", options->sender,
                   "Sender shown to the recipients: 3 to 11 characters, or a number of 7 to 15 "
                   "digits (with --file: for rows without one)")
      ->type_name("SENDER");
  auto* when = send->add_option("--at", *at, "Local send time (default: at once)")
                   ->type_name("\"YYYY-MM-DD HH:MM\"")
                   ->check(CheckSendTime);
  send->add_option("--file", options->file,
                   "CSV list: header PhoneGsm,MessageText,Sender,DateTime, then one row per "
                   "message (DateTime empty: at once)")
      ->type_name("FILE.csv")
      ->check(CLI::ExistingFile)
      ->excludes(to)
      ->excludes(text)
      ->excludes(when);
  // The list's capacity (MaxListToSend); fewer messages per command than the gateway's 3000.
  send->add_flag("--dry-run", options->dry_run,
                 "Show the messages as they would go out (number, sender, text, parts); send "
                 "nothing");
  send->add_flag("--strict", options->strict,
                 "Send nothing when a text would not go out as written");
  send->add_option("--batch", options->batch, "Messages per gateway command")->group("");
  send->add_flag("--resume", options->resume,
                 "Send what the journal's last interrupted or failed send did not send "
                 "(never the messages in doubt)");
  send->footer(SendRulesHelp());
  send->callback([&chosen, options, at, when] {
    SendConfig config = *options;
    if (when->count() > 0) config.at = ParseSendTime(*at);
    chosen = std::move(config);
  });
}

int Run(const SendConfig& config, Session& session) {
  if (config.resume) return Resume(config, session);
  CheckOptions(config);
  std::vector<Outgoing> outgoing = config.file ? FromFile(config) : FromOptions(config);
  if (const int code = ReviewOutgoing(config, outgoing, session); code >= 0) return code;
  // Recorded before anything goes out: a journal that cannot be written stops the send here.
  const std::int64_t send =
      session.journal().BeginSend(config.file ? config.file->string() : "--to", outgoing);
  std::vector<std::int64_t> seqs;
  for (const Outgoing& item : outgoing)
    for (std::size_t i = 0; i < item.phones.size(); ++i)
      seqs.push_back(static_cast<std::int64_t>(seqs.size()));
  return SendRecorded(session, send, outgoing, seqs, config.batch);
}

}  // namespace orvulink::cli
