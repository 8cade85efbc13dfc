// What orvulink says before it sends and how it keeps its settings, without a gateway: each case
// one a user met (a text cut without a word, a national number sent abroad, a hand-edited
// setting misread, a secret echoed in an error). Nothing listens, so a command that reached
// for the gateway would fail.
#include <sys/stat.h>

#include <nlohmann/json.hpp>

#include "cli_fixture.hpp"

namespace orvulink::cli_test {
namespace {

using Json = nlohmann::json;

TEST_F(CliTest, SendSaysWhatWouldNotGoOutAsWrittenAndDryRunShowsIt) {
  WriteFile(settings_path(), "UserName=demo\nPassword=pw\nUseAutomayicProxy=False\n");
  PointAtClosedPort();
  const std::string mixed = "Ciao \U0001F600 àèìòù € 日本語";
  const std::vector<std::string> to = {"send", "--sender", "ACME", "--to", "+393331234567"};
  const auto with = [&to](std::vector<std::string> more) {
    more.insert(more.begin(), to.begin(), to.end());
    return more;
  };
  const struct {
    std::vector<std::string> arguments;
    int exit_status;
    std::string out, err;
  } cases[] = {
      {{"send", "--to", "3331234567", "--text", "Hi", "--sender", "ACME"},
       2,
       "",
       "error: 3331234567: no international prefix (+ or 00); the number would be read as "
       "\"+3331234567\". Write it as +COUNTRY NUMBER, or set a default country code (orvulink "
       "config set DefaultCountry=39); nothing was sent\n"},
      {with({"--text", mixed, "--strict"}), 2, "",
       "warning: message to +393331234567: dropped, not in the SMS alphabet: \U0001F600 € 日 本 "
       "語; it goes out as 1 SMS part\nerror: --strict: 1 message would not go out as written; "
       "nothing was sent\n"},
      {with({"--to", "0039333", "--text", mixed, "--dry-run"}), 0,
       "1\t+393331234567\tTOSEND\t1\tACME\tnow\tCiao  àèìòù  \n"
       "1\t+39333\tERRPHONEGSM\t1\tACME\tnow\tCiao  àèìòù  \n",
       "dry run: 2 messages in 1 group, 1 SMS part to send; nothing was sent\n"},
      {with({"--text", std::string(2000, 'x'), "--dry-run", "--at", "2030-01-02 12:30"}), 0,
       "1\t+393331234567\tTOSEND\t5\tACME\t2030-01-02 12:30:00\t" + std::string(156, 'x') + " " +
           std::string(156, 'x') + " " + std::string(156, 'x') + " " + std::string(156, 'x') + " " +
           std::string(16, 'x') + "\n",
       "warning: message to +393331234567: the last 1360 characters cut (at most 640); words "
       "longer than one SMS broken with spaces; it goes out as 5 SMS parts\n"},
  };
  for (const auto& c : cases) {
    const auto result = Cli(c.arguments);
    EXPECT_EQ(result.exit_status, c.exit_status) << c.err;
    EXPECT_EQ(result.out, c.out);
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
  }
  // A default country code completes a national number; a trunk 0 it cannot replace.
  ASSERT_EQ(Cli({"config", "set", "DefaultCountry=+39"}).exit_status, 0);
  const auto completed = Cli({"--json", "send", "--to", "3331234567", "--to", "0612345678",
                              "--text", "Hi", "--sender", "ACME", "--dry-run"});
  EXPECT_EQ(completed.exit_status, 2);
  EXPECT_NE(completed.err.find("0612345678: no international prefix"), std::string::npos);
  const auto json = Json::parse(
      Cli({"--json", "send", "--to", "3331234567", "--text", "Hi", "--sender", "AC", "--dry-run"})
          .out);
  EXPECT_EQ(json, Json::parse(R"([{"Group": 1, "PhoneGsm": "+393331234567", "Text": "Hi",
    "Sender": "", "DateTime": null, "NumSMS": 1, "Status": -5, "StatusName": "ERRSENDER"}])"));
}

TEST_F(CliTest, TheSettingsFileAcceptsWhatConfigSetAcceptsAndKeepsTheRest) {
  const std::tuple<std::string, int, std::string> cases[] = {
      {"TestMode=yes\n", 0, ""},
      {"TestMode = on\r\n", 0, ""},
      {"# mine\nTestMode=maybe\n", 2, "settings.ini:2: TestMode is true or false"},
      {"UserName=demo\nhunter2\n", 2, "settings.ini:2: not a KEY=VALUE line\n"},
      {"Gateway=https://gw.example/\n", 2, "settings.ini:1: Gateway is host[:port]"},
      {"Gateway=gw.example:70000\n", 2, "settings.ini:1: Gateway has a port"},
      {"DefaultCountry=0039\n", 2, "settings.ini:1: DefaultCountry is a country calling code"},
      {"\nVAPCode=ABC\n", 2, "settings.ini:2: VAPCode: SMS gateway: wrong VAP Code\n"},
      {"Colour=blue\nTestMode=1\n", 0, "settings.ini:1: unknown setting \"Colour\" left as it is"},
  };
  for (const auto& [file, exit_status, err] : cases) {
    WriteFile(settings_path(), file);
    const auto shown = Cli({"--json", "config", "show"});
    EXPECT_EQ(shown.exit_status, exit_status) << file;
    EXPECT_NE(shown.err.find(err), std::string::npos) << shown.err;
    EXPECT_EQ(shown.err.find("hunter2"), std::string::npos);
    if (exit_status == 0) {
      EXPECT_EQ(Json::parse(shown.out)["TestMode"], true) << file;
    }
  }
  // A save changes the lines of the keys it sets and nothing else.
  WriteFile(settings_path(), "# mine\nTestMode = yes\nColour=blue\n\nUserName=old\n");
  chmod(settings_path().c_str(), 0644);
  ASSERT_EQ(Cli({"config", "set", "UserName=new", "Gateway=127.0.0.1:8443"}).exit_status, 0);
  EXPECT_TRUE(
      ReadFile(settings_path())
          .starts_with(
              "# mine\nTestMode = yes\nColour=blue\n\nUserName=new\nGateway=127.0.0.1:8443\n"))
      << ReadFile(settings_path());
  struct stat status {};
  ASSERT_EQ(stat(settings_path().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 0777, 0600u);
  // A file named on the command line that is not there is a mistake, not a fresh start.
  const auto missing = Cli({"--settings", (dir_ / "nosuch.ini").string(), "credit"}, true);
  EXPECT_EQ(missing.exit_status, 2);
  EXPECT_NE(missing.err.find("nosuch.ini: no such settings file"), std::string::npos);
}

TEST_F(CliTest, SecretsAreAskedForAndNeverEchoed) {
  const auto typo = Cli({"config", "set", "ProxyPassword:s3cret"});
  EXPECT_EQ(typo.exit_status, 2);
  EXPECT_EQ(typo.err.find("s3cret"), std::string::npos) << typo.err;
  // Off a terminal the value comes from standard input.
  const auto piped = RunProgram(
      {"/bin/sh", "-c",
       "printf 'from stdin\\n' | '" + std::string(ORVULINK_CLI_PROGRAM) + "' --settings '" +
           settings_path().string() + "' config set Password UserName=u"},
      dir_);
  ASSERT_EQ(piped.exit_status, 0) << piped.err;
  EXPECT_NE(ReadFile(settings_path()).find("\nPassword=from stdin\n"), std::string::npos);
  // The environment's password is for the commands that use it: never shown, never saved.
  setenv("ORVULINK_PASSWORD", "from env", 1);
  ASSERT_EQ(Cli({"config", "set", "UserName=v"}).exit_status, 0);
  EXPECT_NE(ReadFile(settings_path()).find("\nPassword=from stdin\n"), std::string::npos);
  EXPECT_EQ(Json::parse(Cli({"--json", "config", "show", "--reveal"}).out)["Password"],
            "from stdin");
}

TEST_F(CliTest, ProfilesVersionAndHelp) {
  ASSERT_EQ(Cli({"--profile", "work", "config", "set", "UserName=w"}, true).exit_status, 0);
  EXPECT_NE(ReadFile(dir_ / "home/.config/orvulink/profiles/work.ini").find("UserName=w\n"),
            std::string::npos);
  EXPECT_NE(Cli({"--profile", "work", "config", "show"}, true).out.find("UserName=w\n"),
            std::string::npos);
  EXPECT_NE(Cli({"config", "show"}, true).out.find("UserName=\n"), std::string::npos);
  EXPECT_EQ(Cli({"--profile", "home", "credit"}, true).exit_status, 2);  // none saved
  EXPECT_EQ(Cli({"--profile", "../work", "config", "show"}, true).exit_status, 2);

  const auto version = Cli({"--version"});
  EXPECT_EQ(version.exit_status, 0);
  EXPECT_TRUE(version.out.starts_with("orvulink 1.")) << version.out;
  const auto send = Cli({"send", "--help"}).out;
  for (const char* rule : {"3 to 11 characters", "7 to 15 digits", "DefaultCountry", "èé"})
    EXPECT_NE(send.find(rule), std::string::npos) << rule;
  for (const auto& help : {send, Cli({"autoresponder", "--help"}).out, Cli({"--help"}).out}) {
    for (const char* artefact : {"Excludes", "REQUIRED", ":FILE", ":INT", "  KEY TEXT"})
      EXPECT_EQ(help.find(artefact), std::string::npos) << artefact << " in\n" << help;
  }
}

}  // namespace
}  // namespace orvulink::cli_test
