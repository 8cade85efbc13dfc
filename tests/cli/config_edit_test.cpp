// orvulink in a real terminal: a detached tmux session of the test's own types into the
// property page, and captures the progress bar that only a terminal gets.
#include <functional>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

class TerminalTest : public CliTest {
 protected:
  void SetUp() override {
    tmux_ = RunProgram({"/bin/sh", "-c", "command -v tmux"}, dir_).out;
    // A missing tmux must not pass as a skipped test: scripts/install-deps.sh adds it.
    ASSERT_FALSE(tmux_.empty()) << "tmux is not installed; these tests need it";
    tmux_.pop_back();
  }
  void TearDown() override { Tmux({"kill-server"}); }

  // `command` (a shell line) in a window of `columns` x `rows`; its exit status lands in a file.
  void Start(const std::string& command, int columns = 80, int rows = 24) {
    const auto started = Tmux({"new-session", "-d", "-s", "t", "-x", std::to_string(columns), "-y",
                               std::to_string(rows), command + "; echo $? >status"});
    ASSERT_EQ(started.exit_status, 0) << started.err;
  }
  std::string Page() {
    std::string line = "'";
    line += ORVULINK_CLI_PROGRAM;
    line += "' --settings '";
    line += settings_path().string();
    line += "' config edit 2>stderr";
    return line;
  }
  void Keys(std::vector<std::string> keys) {
    keys.insert(keys.begin(), {"send-keys", "-t", "t"});
    ASSERT_EQ(Tmux(keys).exit_status, 0);
  }
  std::string Screen() { return Tmux({"capture-pane", "-p", "-t", "t"}).out; }
  // Polls until `done`; the deadline only bounds a hung child, nothing is timed.
  static std::string WaitFor(const std::function<std::string()>& read, const std::string& want) {
    for (int i = 0; i < 600 && read().find(want) == std::string::npos; ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return read();
  }
  bool Shows(const std::string& text) {
    return WaitFor([&] { return Screen(); }, text).find(text) != std::string::npos;
  }
  std::string ExitStatus() {
    return WaitFor([&] { return ReadFile(dir_ / "status"); }, "\n");
  }
  Completed Tmux(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(),
                     {tmux_, "-S", (dir_ / "tmux.socket").string(), "-f", "/dev/null"});
    return RunProgram(arguments, dir_);
  }

  std::string tmux_;
};

TEST_F(TerminalTest, TypedSettingsAreAppliedAndSaved) {
  ASSERT_EQ(Cli({"config", "set", "UserName=old", "TestMode=true"}).exit_status, 0);
  Start(Page());
  ASSERT_TRUE(Shows("OrvuLink ActiveX versione 1.2.0")) << Screen();
  // C-u is a control key the page ignores. Words that name no key are typed as they are.
  Keys({"C-u", "End", "BSpace", "BSpace", "BSpace", "alice", "Tab", "s3cret"});
  Keys({"Tab", "Tab", "Space", "Tab", "Tab", "Space", "Tab"});  // test mode off, manual proxy
  Keys({"proxy.example", "Down", "3128"});
  ASSERT_TRUE(Shows("3128")) << Screen();
  EXPECT_NE(Screen().find("[******"), std::string::npos) << Screen();
  EXPECT_EQ(Screen().find("s3cret"), std::string::npos) << Screen();
  Keys({"Tab", "Tab", "Tab", "Enter"});  // over the proxy credentials to Apply
  EXPECT_EQ(ExitStatus(), "0\n") << ReadFile(dir_ / "stderr");
  const std::string saved = ReadFile(settings_path());
  for (const char* line :
       {"UserName=alice\n", "Password=s3cret\n", "TestMode=False\n", "UseAutomayicProxy=False\n",
        "Proxy=proxy.example\n", "ProxyPort=3128\n"})
    EXPECT_NE(saved.find(line), std::string::npos) << line << "in\n" << saved;
}

// The control clears a malformed VAP code without a word; saving then would lose it unseen.
TEST_F(TerminalTest, ARejectedVapCodeIsNotSavedAndCtrlCLeavesTheFileAsItWas) {
  ASSERT_EQ(Cli({"config", "set", "UserName=kept", "VAPCode=ABCDEFGHIJ"}).exit_status, 0);
  const std::string before = ReadFile(settings_path());
  Start(Page());
  ASSERT_TRUE(Shows("OrvuLink ActiveX versione")) << Screen();
  Keys({"Tab", "Tab", "BSpace"});  // nine characters left
  Keys({"Tab", "Tab", "Tab", "Tab", "Enter"});
  EXPECT_TRUE(Shows("VAPcode: SMS gateway: wrong VAP Code; nothing saved")) << Screen();
  Keys({"C-c"});
  EXPECT_EQ(ExitStatus(), "130\n");
  EXPECT_EQ(ReadFile(settings_path()), before);
}

TEST_F(TerminalTest, ATooSmallWindowIsRefusedWithTheSizeItNeeds) {
  Start(Page(), 40, 10);
  EXPECT_EQ(ExitStatus(), "1\n");
  const std::string err = ReadFile(dir_ / "stderr");
  EXPECT_NE(err.find("40x10"), std::string::npos) << err;
  EXPECT_NE(err.find("64x20"), std::string::npos) << err;
  EXPECT_FALSE(fs::exists(settings_path()));
}

// The bar is drawn on standard error only when it is a terminal (a pipe gets none, as the
// gateway tests check); the pane's raw output keeps it after the bar is cleared. A gateway slow
// to answer shows the spinner meanwhile.
TEST_F(TerminalTest, SendDrawsAProgressBarOnATerminal) {
  const Gateway gateway(dir_, {"--fault", "delay=2500x1"});
  gateway.Use();
  SaveSettings();
  Start("while [ ! -e go ]; do sleep 0.05; done; '" + std::string(ORVULINK_CLI_PROGRAM) +
        "' --settings '" + settings_path().string() +
        "' send --to +393331111111 --text Hi --sender ACME >out");
  ASSERT_EQ(Tmux({"pipe-pane", "-t", "t", "cat >raw"}).exit_status, 0);
  WriteFile(dir_ / "go", "");
  EXPECT_EQ(ExitStatus(), "0\n") << ReadFile(dir_ / "stderr");
  EXPECT_NE(ReadFile(dir_ / "raw").find("\033[K[#"), std::string::npos) << ReadFile(dir_ / "raw");
  EXPECT_NE(ReadFile(dir_ / "raw").find("waiting for the gateway (try 1, 1 s)"), std::string::npos);
  EXPECT_NE(ReadFile(dir_ / "out").find("FORWARD"), std::string::npos);
}

}  // namespace
}  // namespace orvulink::cli_test
