// orvulink config edit driven in a real terminal: a detached tmux session of its own types into
// the page, and the test reads the screen and the saved file.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

class ConfigEditTest : public CliTest {
 protected:
  void SetUp() override {
    // The shell finds it on PATH; a test that cannot run says so instead of failing.
    tmux_ = RunProgram("/bin/sh", {"-c", "command -v tmux"}, dir_.path(), environment_).out;
    if (!tmux_.empty()) tmux_.pop_back();  // the line break
    if (tmux_.empty()) GTEST_SKIP() << "tmux is not installed (scripts/install-deps.sh adds it)";
    environment_["TMUX"] = std::nullopt;  // the tests may themselves run inside tmux
  }
  void TearDown() override {
    if (!tmux_.empty()) Tmux({"kill-server"});
  }

  // The page in a window of `columns` x `rows`; its exit status and stderr land in files.
  void StartPage(int columns, int rows) {
    const std::string command = std::string("'") + ORVULINK_CLI_PROGRAM + "' --settings '" +
                                settings_path().string() + "' config edit 2>'" + ErrPath() +
                                "'; echo $? >'" + StatusPath() + "'";
    const auto started = Tmux({"new-session", "-d", "-s", "page", "-x", std::to_string(columns),
                               "-y", std::to_string(rows), command});
    ASSERT_EQ(started.exit_status, 0) << started.err;
  }
  void Keys(const std::vector<std::string>& keys) {
    std::vector<std::string> arguments = {"send-keys", "-t", "page"};
    arguments.insert(arguments.end(), keys.begin(), keys.end());
    ASSERT_EQ(Tmux(arguments).exit_status, 0);
  }
  void Text(const std::string& text) { Keys({"-l", text}); }
  std::string Screen() { return Tmux({"capture-pane", "-p", "-t", "page"}).out; }

  // Polls until `done`; the deadline only bounds a hung child, nothing is timed.
  bool WaitFor(const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
  }
  bool ScreenShows(const std::string& text) {
    return WaitFor([&] { return Screen().find(text) != std::string::npos; });
  }
  // The page's exit status, once the program has ended.
  std::string ExitStatus() {
    std::string status;
    WaitFor([&] {
      status = ReadFile(StatusPath());
      return !status.empty();
    });
    return status;
  }

  std::string StatusPath() const { return (dir_.path() / "status").string(); }
  std::string ErrPath() const { return (dir_.path() / "stderr").string(); }

 private:
  Completed Tmux(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(),
                     {"-S", (dir_.path() / "tmux.socket").string(), "-f", "/dev/null"});
    return RunProgram(tmux_, arguments, dir_.path(), environment_);
  }

  std::string tmux_;
};

TEST_F(ConfigEditTest, TypedSettingsAreAppliedAndSaved) {
  ASSERT_EQ(Cli({"config", "set", "UserName=old", "TestMode=true"}).exit_status, 0);
  StartPage(80, 24);
  ASSERT_TRUE(ScreenShows("OrvuLink ActiveX versione 1.2.0")) << Screen();

  Keys({"C-u"});  // a control key the page ignores
  Keys({"End", "BSpace", "BSpace", "BSpace"});
  Text("alice");
  Keys({"Tab"});
  Text("s3cret");
  Keys({"Tab", "Tab", "Space", "Tab", "Tab", "Space", "Tab"});  // test mode off, manual proxy
  Text("proxy.example");
  Keys({"Down"});
  Text("3128");
  ASSERT_TRUE(ScreenShows("3128")) << Screen();
  const std::string screen = Screen();
  EXPECT_NE(screen.find("[******"), std::string::npos) << screen;
  EXPECT_EQ(screen.find("s3cret"), std::string::npos) << screen;

  Keys({"Tab", "Tab", "Tab", "Enter"});  // over the proxy credentials to Apply
  EXPECT_EQ(ExitStatus(), "0\n") << ReadFile(ErrPath());
  const std::string saved = SettingsText();
  for (const char* line :
       {"UserName=alice\n", "Password=s3cret\n", "TestMode=False\n", "UseAutomayicProxy=False\n",
        "Proxy=proxy.example\n", "ProxyPort=3128\n"}) {
    EXPECT_NE(saved.find(line), std::string::npos) << line << "in\n" << saved;
  }
}

// The control clears a malformed VAP code without a word; saving then would lose it unseen.
TEST_F(ConfigEditTest, ARejectedVapCodeIsNotSavedAndCtrlCLeavesTheFileAsItWas) {
  ASSERT_EQ(Cli({"config", "set", "UserName=kept", "VAPCode=ABCDEFGHIJ"}).exit_status, 0);
  const std::string before = SettingsText();
  StartPage(80, 24);
  ASSERT_TRUE(ScreenShows("OrvuLink ActiveX versione")) << Screen();
  Keys({"Tab", "Tab", "BSpace"});  // nine characters left
  Keys({"Tab", "Tab", "Tab", "Tab", "Enter"});
  EXPECT_TRUE(ScreenShows("VAPcode: SMS gateway: wrong VAP Code; nothing saved")) << Screen();
  Keys({"C-c"});
  EXPECT_EQ(ExitStatus(), "130\n");
  EXPECT_EQ(SettingsText(), before);
}

TEST_F(ConfigEditTest, ATooSmallWindowIsRefusedWithTheSizeItNeeds) {
  StartPage(40, 10);
  EXPECT_EQ(ExitStatus(), "1\n");
  const std::string err = ReadFile(ErrPath());
  EXPECT_NE(err.find("40x10"), std::string::npos) << err;
  EXPECT_NE(err.find("64x20"), std::string::npos) << err;
  EXPECT_FALSE(std::filesystem::exists(settings_path()));
}

}  // namespace
}  // namespace orvulink::cli_test
