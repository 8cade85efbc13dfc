#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/send.hpp>

#include "core/control_state.hpp"
#include "test_support.hpp"
#include "typelib/interfaces.hpp"

#include <functional>
#include <stdexcept>
#include <thread>

namespace orvulink {
namespace {

using testing::CatchAutomationError;
using testing::OpenSslMd5Hex;

// Leaves a failure in the state, as a failed command would.
void PretendFailure() {
  auto& state = core::ThisThreadState();
  state.ErrCode = 28379;
  state.ErrDescription = u"SMS gateway: unable to connect to server";
}

// Every member the interface description says resets the error state does, and no other.
TEST(Control, MembersResetTheErrorStateAsTheInterfaceDescriptionSays) {
  const std::vector<std::pair<std::string_view, std::function<void(OrvuLinkActiveX&)>>> members = {
      {"ErrCode", [](auto& c) { (void)c.ErrCode(); }},
      {"ErrDescription", [](auto& c) { (void)c.ErrDescription(); }},
      {"LastRespose", [](auto& c) { (void)c.LastRespose(); }},
      {"LastRequest", [](auto& c) { (void)c.LastRequest(); }},
      {"Version", [](auto& c) { (void)c.Version(); }},
      {"EncryptSSL", [](auto& c) { (void)c.EncryptSSL(); }},
      {"EncryptSSL", [](auto& c) { c.EncryptSSL(true); }},
      {"TestMode", [](auto& c) { c.TestMode(false); }},
      {"UserName", [](auto& c) { (void)c.UserName(); }},
      {"UserName", [](auto& c) { c.UserName("u"); }},
      {"Password", [](auto& c) { c.Password("p"); }},
      {"AutomaticProxy", [](auto& c) { (void)c.AutomaticProxy(); }},
      {"Proxy", [](auto& c) { c.Proxy("gw"); }},
      {"ProxyPort", [](auto& c) { (void)c.ProxyPort(); }},
      {"ProxyUsername", [](auto& c) { c.ProxyUsername("x"); }},
      {"ProxyPassword", [](auto& c) { (void)c.ProxyPassword(); }},
      {"VAPcode", [](auto& c) { (void)c.VAPcode(); }},
      {"ShowAboutBox", [](auto& c) { c.ShowAboutBox(); }},
  };
  testing::ScopedUserInterface ui(std::make_shared<testing::RecordingUserInterface>());
  auto control = OrvuLinkActiveX::Create();
  for (const auto& [name, touch] : members) {
    bool resets = false;
    for (const auto& described : typelib::OrvuLinkActiveXInterface().members)
      resets |= described.name == name && described.resetsErrorState;
    EXPECT_EQ(resets, !name.starts_with("Err")) << name;
    PretendFailure();
    touch(*control);
    const auto& state = core::ThisThreadState();
    EXPECT_EQ(state.ErrCode, resets ? 0 : 28379) << name;
    EXPECT_EQ(state.ErrDescription.empty(), resets) << name;
  }
}

TEST(Control, VapCodeIsCheckedWithoutRaising) {
  struct Case {
    const char* given;
    const char* stored;
    std::int16_t errCode;
  };
  const Case cases[] = {
      {"ABCDEFGHIJ", "ABCDEFGHIJ", 0}, {" ABCDEFGHIJ", "", 28384},      {"", "", 0},
      {"ABCDEFGHI", "", 28384},        {"ÀBCDEFGHIJ", "ÀBCDEFGHIJ", 0},
  };
  auto control = OrvuLinkActiveX::Create();
  for (const auto& c : cases) {
    control->VAPcode("0123456789");
    EXPECT_NO_THROW(control->VAPcode(c.given)) << c.given;
    EXPECT_EQ(control->ErrCode(), c.errCode) << c.given;
    EXPECT_EQ(control->ErrDescription(), BStr(c.errCode != 0 ? "SMS gateway: wrong VAP Code" : ""))
        << c.given;
    EXPECT_EQ(control->VAPcode(), BStr(c.stored)) << c.given;
  }
}

TEST(Control, CredentialsAreKeptAsGivenAndDigestedExactly) {
  auto control = OrvuLinkActiveX::Create();
  control->UserName(" Mario Rossi ");
  control->Password("pàss");
  EXPECT_EQ(control->UserName(), BStr(" Mario Rossi "));
  const auto& state = core::ThisThreadState();
  EXPECT_EQ(BStr(state.UserNameDigest).utf8(), OpenSslMd5Hex(" Mario Rossi "));
  EXPECT_EQ(BStr(state.PasswordDigest).utf8(), OpenSslMd5Hex("p\xE0ss"));
  control->UserName("");
  EXPECT_EQ(BStr(state.UserNameDigest).utf8(), OpenSslMd5Hex(""));
}

TEST(Control, InstancesOnOneThreadShareStateAndANewOneResetsIt) {
  auto first = OrvuLinkActiveX::Create();
  auto second = OrvuLinkActiveX::Create();
  first->UserName("mario");
  first->EncryptSSL(false);
  EXPECT_EQ(second->UserName(), BStr("mario"));
  EXPECT_EQ(second->EncryptSSL().value, 0);

  auto& state = core::ThisThreadState();
  state.LastRequest = u"CMD=2";
  state.LastRespose = u"<html>01 5</html>";
  state.UserInfoCache = u"cached";
  auto third = OrvuLinkActiveX::Create();
  for (auto* control : {first.get(), second.get(), third.get()}) {
    EXPECT_EQ(control->UserName(), BStr(""));
    EXPECT_EQ(control->EncryptSSL().value, -1);
    EXPECT_EQ(control->LastRequest(), BStr("CMD=2"));
    EXPECT_EQ(control->LastRespose(), BStr("<html>01 5</html>"));
  }
  EXPECT_TRUE(state.UserInfoCache.empty());
  EXPECT_TRUE(state.UserNameDigest.empty());
}

TEST(Control, AboutBoxCarriesTheVersionAndTheInformationAndSupportLinks) {
  auto ui = std::make_shared<testing::RecordingUserInterface>();
  testing::ScopedUserInterface installed(ui);
  auto control = OrvuLinkActiveX::Create();
  control->ShowAboutBox();
  ASSERT_EQ(ui->aboutBoxes.size(), 1u);
  EXPECT_EQ(ui->aboutBoxes[0].version, BStr("1.2.0"));
  std::string lines;
  for (const BStr& line : ui->aboutBoxes[0].lines)
    lines += line.utf8() + "\n";
  EXPECT_NE(lines.find("https://"), std::string::npos) << lines;
  EXPECT_NE(lines.find("mailto:support@"), std::string::npos) << lines;
}

struct FailingUserInterface : testing::RecordingUserInterface {
  void ShowAboutBox(const platform::AboutBox&) override { throw std::runtime_error("no display"); }
};

TEST(Control, AFailingAboutBoxIsRelayedToTheHost) {
  testing::ScopedUserInterface scoped(std::make_shared<FailingUserInterface>());
  auto control = OrvuLinkActiveX::Create();
  auto error = CatchAutomationError([&] { control->ShowAboutBox(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), 5);
  EXPECT_EQ(error->Source(), BStr("OrvuLink"));
  EXPECT_EQ(error->Description(), BStr("Invalid procedure call or argument"));
  EXPECT_EQ(error->HResult(), 0x800A0005u);
  EXPECT_EQ(control->ErrCode(), 5);
  EXPECT_EQ(control->ErrDescription(), BStr("Invalid procedure call or argument"));
}

TEST(Control, AForeignThreadGetsAClearErrorInsteadOfTouchingState) {
  auto control = OrvuLinkActiveX::Create();
  control->UserName("owner");
  std::optional<AutomationError> error;
  std::thread([&] { error = CatchAutomationError([&] { control->UserName("intruder"); }); }).join();
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), 5);
  EXPECT_NE(error->Description().utf8().find("thread"), std::string::npos);
  EXPECT_EQ(control->UserName(), BStr("owner"));
}

TEST(Control, AControlOutlivingItsThreadsStateEndsQuietly) {
  bool filled = false;
  std::thread([&] {
    // Made before the thread's state, so destroyed after it, like a control kept in a static.
    thread_local std::shared_ptr<OrvuLinkActiveX> kept;
    kept = OrvuLinkActiveX::Create();
    kept->MessagesToSend()->AddMessage("+391110000001", "Ciao", "Mario");
    filled = kept->MessagesToSend()->Count() == 1;
  }).join();
  EXPECT_TRUE(filled);
}

}  // namespace
}  // namespace orvulink
