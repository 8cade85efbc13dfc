// What orvulink keeps in its journal so that nothing sent or received is lost or sent twice:
// Ctrl-C in the middle of a long send and its resumption, a command whose answer never came,
// output that cannot be written, and a journal that cannot be opened.
#include <sys/stat.h>
#include <nlohmann/json.hpp>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

using Json = nlohmann::json;

constexpr char kAccounts[] = R"({"accounts": [{"user": "demo", "password": "demo-password",
  "credit": 100000, "reception_keys": [{"key": "K1", "messages": [
    {"sent": "2006-01-20 10:15:00", "sender": "+39333111", "text": "Ciao"},
    {"sent": "2006-01-20 10:16:00", "sender": "+39333222", "text": "Si"}]}]}]})";

class JournalTest : public CliTest {
 protected:
  JournalTest() {
    WriteFile(dir_ / "accounts.json", kAccounts);
    gateway_.emplace(dir_,
                     std::vector<std::string>{"--accounts", (dir_ / "accounts.json").string()});
    gateway_->Use();
  }
  void SetUp() override { SaveSettings(); }

  std::size_t Requests() {
    return Json::parse(gateway_->Control("/control/requests", "")->body).size();
  }
  void Fault(const std::string& fault) {
    ASSERT_EQ(gateway_->Control("/control/fault", fault)->status, 200);
  }
  std::string Credit() { return Cli({"credit"}).out; }
  // orvulink with its standard output on `out` (a device or a FIFO), standard error kept.
  pid_t Start(const std::vector<std::string>& arguments, const fs::path& out) {
    std::vector<std::string> all = {ORVULINK_CLI_PROGRAM, "--settings", settings_path().string()};
    all.insert(all.end(), arguments.begin(), arguments.end());
    return Spawn(all, dir_, out, dir_ / "started.err");
  }
  // Each line's status column of `orvulink history`, counted.
  std::map<std::string, int> HistoryStatuses() {
    std::map<std::string, int> counted;
    for (const auto& send : Json::parse(Cli({"--json", "history", "--limit", "1"}).out))
      for (const auto& message : send["Messages"])
        ++counted[message.value("StatusName", message["Outcome"].get<std::string>())];
    return counted;
  }

  std::optional<Gateway> gateway_;
};

// The first Ctrl-C lets the command in flight finish and be recorded and sends nothing more;
// --resume sends exactly the rest: the gateway charges each recipient once.
TEST_F(JournalTest, AnInterruptedSendResumesWithoutSendingTwice) {
  std::string csv = "PhoneGsm,MessageText,Sender,DateTime\n";
  for (int i = 0; i < 1200; ++i)
    csv += "+39334" + std::to_string(1000000 + i) + ",Hi,ACME,\n";
  WriteFile(dir_ / "big.csv", csv);
  const std::string before = Credit();
  Fault(R"({"kind": "delay", "delay_ms": 300, "count": 6})");
  const std::size_t requests = Requests();
  const pid_t send = Start({"send", "--batch", "200", "--file", "big.csv"}, dir_ / "sent.out");
  while (Requests() == requests)  // the first command is at the gateway: the guard is up
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  kill(send, SIGINT);
  EXPECT_EQ(Reap(send), 128 + SIGINT);
  const std::string err = ReadFile(dir_ / "started.err");
  EXPECT_NE(err.find("interrupted: 1200 messages: "), std::string::npos) << err;
  const auto interrupted = HistoryStatuses();
  EXPECT_GE(interrupted.at("FORWARD"), 200);
  EXPECT_EQ(interrupted.at("FORWARD") + interrupted.at("not sent"), 1200);
  const std::string printed = ReadFile(dir_ / "sent.out");
  EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), interrupted.at("FORWARD"));

  const auto resumed = Cli({"send", "--resume"});
  EXPECT_EQ(resumed.exit_status, 0) << resumed.err;
  EXPECT_EQ(std::count(resumed.out.begin(), resumed.out.end(), '\n'), interrupted.at("not sent"));
  EXPECT_EQ(HistoryStatuses(), (std::map<std::string, int>{{"FORWARD", 1200}}));
  EXPECT_EQ(std::stod(before) - std::stod(Credit()), 1200.0);
  EXPECT_EQ(Cli({"send", "--resume"}).err, "nothing to resume: every recorded message went out\n");
  // The last send's order IDs, without copying them.
  const auto status = Cli({"status", "--last"});
  EXPECT_EQ(std::count(status.out.begin(), status.out.end(), '\n'), 1200) << status.err;
}

// Three tries without an answer: the messages may be at the gateway, so they are in doubt and
// never resent; a journal that cannot be opened stops a send before it reaches the gateway.
TEST_F(JournalTest, NoAnswerIsInDoubtAndNoJournalIsNoSend) {
  Fault(R"({"kind": "drop", "count": 3})");
  const auto dropped = Cli({"send", "--to", "+393331111111", "--text", "Hi", "--sender", "ACME"});
  EXPECT_EQ(dropped.exit_status, 1);
  EXPECT_NE(dropped.err.find("1 in doubt"), std::string::npos) << dropped.err;
  EXPECT_EQ(HistoryStatuses(), (std::map<std::string, int>{{"in doubt", 1}}));
  const std::size_t requests = Requests();
  EXPECT_EQ(Cli({"send", "--resume"}).exit_status, 0);
  EXPECT_EQ(Requests(), requests);

  WriteFile(dir_ / "plain", "");
  setenv("ORVULINK_JOURNAL", (dir_ / "plain" / "journal.db").c_str(), 1);
  const auto refused = Cli({"send", "--to", "+393331111111", "--text", "Hi", "--sender", "ACME"});
  unsetenv("ORVULINK_JOURNAL");
  EXPECT_EQ(refused.exit_status, 1);
  EXPECT_NE(refused.err.find("journal"), std::string::npos) << refused.err;
  EXPECT_EQ(Requests(), requests);
}

// Runs at the same time share one journal: each send is whole in it.
TEST_F(JournalTest, ConcurrentRunsShareTheJournal) {
  std::vector<std::thread> runs;
  std::vector<Completed> done(4);
  for (std::size_t i = 0; i < done.size(); ++i)
    runs.emplace_back([&, i] {
      done[i] = Cli({"send", "--to", "+39333100000" + std::to_string(i), "--to",
                     "+39333200000" + std::to_string(i), "--text", "Hi", "--sender", "ACME"});
    });
  for (auto& run : runs)
    run.join();
  for (const auto& run : done)
    EXPECT_EQ(run.exit_status, 0) << run.err;
  const Json history = Json::parse(Cli({"--json", "history"}).out);
  ASSERT_EQ(history.size(), done.size());
  for (const auto& send : history)
    EXPECT_EQ(send["Messages"].size(), 2u) << send.dump();
}

// The gateway forgets a confirmed download: printing that fails is an error, and the inbox
// still has the messages.
TEST_F(JournalTest, ReceivedMessagesSurviveOutputThatCannotBeWritten) {
  const pid_t full = Start({"receive", "K1"}, "/dev/full");
  EXPECT_EQ(Reap(full), 1);
  EXPECT_NE(ReadFile(dir_ / "started.err").find("No space left on device"), std::string::npos);
  ASSERT_EQ(gateway_->Control("/control/receive", R"({"key": "K1", "sender": "+1", "text": "x"})")
                ->status,
            200);
  ASSERT_EQ(mkfifo((dir_ / "pipe").c_str(), 0600), 0);
  const int reader = open((dir_ / "pipe").c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  const pid_t piped = Start({"receive", "K1"}, dir_ / "pipe");
  close(reader);  // the reader is gone before anything is printed
  EXPECT_EQ(Reap(piped), 1);
  EXPECT_NE(ReadFile(dir_ / "started.err").find("Broken pipe"), std::string::npos)
      << ReadFile(dir_ / "started.err");
  EXPECT_EQ(Cli({"inbox"}).out,
            "K1\t2006-01-20 10:15:00\t+39333111\tCiao\nK1\t2006-01-20 10:16:00\t+39333222\tSi\n"
            "K1\t" +
                Json::parse(Cli({"--json", "inbox", "--limit", "1"}).out)[0]["DateTime"]
                    .get<std::string>() +
                "\t+1\tx\n");
  struct stat folder {};
  ASSERT_EQ(stat((dir_ / "home/.local/state/orvulink").c_str(), &folder), 0);
  EXPECT_EQ(folder.st_mode & 0777, 0700u);
}

}  // namespace
}  // namespace orvulink::cli_test
