// The type library: the error members and their texts, the control's interface description.
#include <gtest/gtest.h>

#include <orvulink/enums.hpp>

#include "typelib/interfaces.hpp"
#include "typelib/string_table.hpp"

#include <set>
#include <string_view>

namespace orvulink::typelib {
namespace {

// The error members with their values and texts, as hosts and the gateway know them; each text
// sits in the string table at the value less the offset.
TEST(ErrorTable, ValuesAndTexts) {
  const struct {
    OrvuLink_ErrorRuntime member;
    std::int32_t value;
    const char* text;
  } errors[] = {
      {ORVULINK_ERROR_GENERIC, 28374, "SMS gateway: generic error"},
      {ORVULINK_ERROR_AUTHENTICATION, 28375, "SMS gateway: username/password error"},
      {ORVULINK_ERROR_CGI, 28376, "SMS gateway: CGI error"},
      {ORVULINK_ERROR_CREDIT, 28377, "SMS gateway: insufficient credit"},
      {ORVULINK_ERROR_MAXQUEUE, 28378, "SMS gateway: too many messages in queue"},
      {ORVULINK_ERROR_NETWORK, 28379, "SMS gateway: unable to connect to server"},
      {ORVULINK_ERROR_GATEWAY, 28383, "SMS gateway: gateway error"},
      {ORVULINK_ERROR_VAPCODE, 28384, "SMS gateway: wrong VAP Code"},
      {ORVULINK_ERROR_AUTORESPONDER, 28385,
       "SMS gateway: autoresponder error (key is invalid or expired, or autoresponder text is "
       "invalid or already existing)"},
      {ORVULINK_ERROR_SENTSMS, 28386, "SMS gateway: message already sent"},
      {ORVULINK_ERROR_WRONG, 28387, "SMS gateway: message wrong"},
      {ORVULINK_ERROR_EXPLORER, 28388, "SMS gateway: Intenet Explorer version old"},
      {ORVULINK_ERROR_TEXT_MESSAGE, 28389, "SMS gateway: message from gateway"},
      {ORVULINK_ERROR_COMMAND, 28390, "SMS gateway: command error"},
      {ORVULINK_EVENT_KEYRECIVE_REQUEST, 28391, "SMS gateway: Request KeyRecive"},
  };
  EXPECT_EQ(kErrorTextIdOffset, 27373);
  for (const auto& e : errors) {
    EXPECT_EQ(e.member, e.value) << e.text;
    EXPECT_EQ(LoadResString(e.value - 27373).utf8(), e.text);
    EXPECT_EQ(ErrorText(e.member).utf8(), e.text);
  }
  for (std::int32_t id : {0, 1000, 1007, 1008, 1009, 1019, 28374, -1})
    EXPECT_TRUE(LoadResString(id).empty()) << id;
}

// Which members reset the error state is checked against the control's behaviour in its tests.
TEST(OrvuLinkActiveXInterface, NamesCountAndDistinctDispatchIdsWithTheFixedOnesInPlace) {
  const InterfaceDescription& control = OrvuLinkActiveXInterface();
  EXPECT_EQ(control.name, "_OrvuLinkActiveX");
  EXPECT_EQ(control.sourceInterface, "__OrvuLinkActiveX");
  ASSERT_EQ(control.members.size(), 26u);
  EXPECT_EQ(control.members.front().name, "LastRespose");
  EXPECT_EQ(control.members.back().name, "FillReceptionKeys");
  std::set<std::int32_t> seen;
  for (const MemberDescription& member : control.members) {
    EXPECT_TRUE(seen.insert(member.dispatchId).second) << member.name;
    if (member.name == "UserName") {
      EXPECT_EQ(member.dispatchId, kDispidValue);
    } else {
      EXPECT_EQ(member.dispatchId & 0xFFFF0000, 0x60030000) << member.name;
    }
    if (member.name == "TestConnection") {
      EXPECT_EQ(member.dispatchId, 0x60030021);
    }
  }
}

}  // namespace
}  // namespace orvulink::typelib
