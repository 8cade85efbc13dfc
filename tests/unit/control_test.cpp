#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/send.hpp>

#include "core/control_state.hpp"
#include "test_support.hpp"

#include <functional>
#include <stdexcept>
#include <thread>

namespace orvulink {
namespace {

using testing::CatchAutomationError;
using testing::OpenSslMd5Hex;

// Every member resets the error a failed command left behind, except those that read it.
TEST(Control, MembersResetTheErrorStateExceptErrCodeAndErrDescription) {
  const std::vector<std::pair<std::string_view, std::function<void(OrvuLinkActiveX&)>>> members = {
      {"ErrCode", [](auto& c) { (void)c.ErrCode(); }},
      {"ErrDescription", [](auto& c) { (void)c.ErrDescription(); }},
      {"LastRespose", [](auto& c) { (void)c.LastRespose(); }},
      {"Version", [](auto& c) { (void)c.Version(); }},
      {"EncryptSSL", [](auto& c) { c.EncryptSSL(true); }},
      {"UserName", [](auto& c) { (void)c.UserName(); }},
      {"ProxyPassword", [](auto& c) { (void)c.ProxyPassword(); }},
  };
  auto control = OrvuLinkActiveX::Create();
  auto& state = core::ThisThreadState();
  for (const auto& [name, touch] : members) {
    const bool resets = !name.starts_with("Err");
    state.ErrCode = 28379;
    state.ErrDescription = u"SMS gateway: unable to connect to server";
    touch(*control);
    EXPECT_EQ(state.ErrCode, resets ? 0 : 28379) << name;
    EXPECT_EQ(state.ErrDescription.empty(), resets) << name;
  }
}

// A wrong VAP code is stored as "" and reported in the error state, never raised.
TEST(Control, VapCodeIsCheckedWithoutRaising) {
  const struct {
    const char *given, *stored;
    std::int16_t errCode;
  } cases[] = {{"ABCDEFGHIJ", "ABCDEFGHIJ", 0}, {"", "", 0}, {"ABCDEFGHI", "", 28384}};
  auto control = OrvuLinkActiveX::Create();
  for (const auto& c : cases) {
    control->VAPcode("0123456789");
    control->VAPcode(c.given);
    EXPECT_EQ(control->ErrCode(), c.errCode) << c.given;
    EXPECT_EQ(control->ErrDescription(), BStr(c.errCode != 0 ? "SMS gateway: wrong VAP Code" : ""))
        << c.given;
    EXPECT_EQ(control->VAPcode(), BStr(c.stored)) << c.given;
  }
}

// Controls of one thread share the settings; a new one resets them but keeps the last exchange.
TEST(Control, InstancesShareStateANewOneResetsItAndCredentialsAreDigestedAsGiven) {
  auto first = OrvuLinkActiveX::Create();
  auto second = OrvuLinkActiveX::Create();
  first->UserName(" Mario Rossi ");
  first->Password("pàss");
  first->EncryptSSL(false);
  EXPECT_EQ(second->UserName(), BStr(" Mario Rossi "));
  EXPECT_EQ(second->EncryptSSL().value, 0);
  auto& state = core::ThisThreadState();
  EXPECT_EQ(BStr(state.UserNameDigest).utf8(), OpenSslMd5Hex(" Mario Rossi "));
  EXPECT_EQ(BStr(state.PasswordDigest).utf8(), OpenSslMd5Hex("p\xE0ss"));

  state.LastRequest = u"CMD=2";
  state.UserInfoCache = u"cached";
  auto third = OrvuLinkActiveX::Create();
  EXPECT_EQ(first->UserName(), BStr(""));
  EXPECT_EQ(first->EncryptSSL().value, -1);
  EXPECT_EQ(third->LastRequest(), BStr("CMD=2"));
  EXPECT_TRUE(state.UserInfoCache.empty());
  EXPECT_TRUE(state.UserNameDigest.empty());
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
