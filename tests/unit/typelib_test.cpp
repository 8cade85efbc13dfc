// The type library: enumeration values, the string table, the control's interface.
#include <gtest/gtest.h>

#include <orvulink/enums.hpp>

#include "typelib/interfaces.hpp"
#include "typelib/string_table.hpp"

#include <set>
#include <string>
#include <string_view>

namespace orvulink::typelib {
namespace {

struct EnumValue {
  const char* name;
  std::int32_t value;
  std::int32_t expected;
};

// clang-format off
#define ORVULINK_ENUM_VALUE(member, expected) EnumValue{#member, member, expected}
// clang-format on

TEST(Enumerations, MembersHaveTheirPublishedValues) {
  const EnumValue values[] = {
      ORVULINK_ENUM_VALUE(ORVULINK_MESSAGESEND_CANCELLED, -6),
      ORVULINK_ENUM_VALUE(ORVULINK_MESSAGESEND_ERRSENDER, -5),
      ORVULINK_ENUM_VALUE(ORVULINK_MESSAGESEND_ERRPHONEGSM, -4),
      ORVULINK_ENUM_VALUE(ORVULINK_MESSAGESEND_ERRDATETIME, -3),
      ORVULINK_ENUM_VALUE(ORVULINK_MESSAGESEND_ERRDOUBLE, -2),
      ORVULINK_ENUM_VALUE(ORVULINK_MESSAGESEND_ERRGATEWAY, -1),
      ORVULINK_ENUM_VALUE(ORVULINK_MESSAGESEND_INCOMPLETE, 0),
      ORVULINK_ENUM_VALUE(ORVULINK_MESSAGESEND_TOSEND, 1),
      ORVULINK_ENUM_VALUE(ORVULINK_MESSAGESEND_INSEND, 2),
      ORVULINK_ENUM_VALUE(ORVULINK_MESSAGESEND_FORWARD, 3),
      ORVULINK_ENUM_VALUE(ORVULINK_PROGRESS_COMPOSEREQUEST, 0),
      ORVULINK_ENUM_VALUE(ORVULINK_PROGRESS_REQUEST, 1),
      ORVULINK_ENUM_VALUE(ORVULINK_PROGRESS_SAVERESPOSE, 2),
      ORVULINK_ENUM_VALUE(ORVULINK_PROGRESS_FINISH, 3),
      ORVULINK_ENUM_VALUE(ORVULINK_STATE_RESPINTO, -3),
      ORVULINK_ENUM_VALUE(ORVULINK_STATE_ERROPERATOR, -2),
      ORVULINK_ENUM_VALUE(ORVULINK_STATE_ERRGATEWAY, -1),
      ORVULINK_ENUM_VALUE(ORVULINK_STATE_TONOTIFY, 0),
      ORVULINK_ENUM_VALUE(ORVULINK_STATE_GETWAY, 1),
      ORVULINK_ENUM_VALUE(ORVULINK_STATE_OPERATOR, 2),
      ORVULINK_ENUM_VALUE(ORVULINK_STATE_DELIVERED, 3),
      ORVULINK_ENUM_VALUE(ORVULINK_CODEREASON_INDEFINITE, 999),
      ORVULINK_ENUM_VALUE(ORVULINK_CODEREASON_PHONEGSM, 0),
      ORVULINK_ENUM_VALUE(ORVULINK_CODEREASON_TIMEOUT, 100),
      ORVULINK_ENUM_VALUE(ORVULINK_CODEREASON_BLOCKOPERATOR, 103),
      ORVULINK_ENUM_VALUE(ORVULINK_CODEREASON_TIMEOUT2, 108),
      ORVULINK_ENUM_VALUE(ORVULINK_CODEREASON_BLOCKUSER, 111),
      ORVULINK_ENUM_VALUE(ORVULINK_ORDERID_NOTCORRECTED, -1),
      ORVULINK_ENUM_VALUE(ORVULINK_ORDERID_TOVERIFY, 0),
      ORVULINK_ENUM_VALUE(ORVULINK_ORDERID_CORRECTED, 1),
      ORVULINK_ENUM_VALUE(ORVULINK_TEST_OK, 1),
      ORVULINK_ENUM_VALUE(ORVULINK_TEST_GENERIC, 0),
      ORVULINK_ENUM_VALUE(ORVULINK_TEST_NETWORK, -1),
      ORVULINK_ENUM_VALUE(ORVULINK_TEST_TIMER, -2),
      ORVULINK_ENUM_VALUE(ORVULINK_TEST_PROXY, -3),
      ORVULINK_ENUM_VALUE(ORVULINK_TEST_GATEWAY, -4),
      ORVULINK_ENUM_VALUE(ORVULINK_TEST_PROTOCOLSSL, -5),
      ORVULINK_ENUM_VALUE(ORVULINK_TEST_EXPLORER, -6),
  };
  for (const EnumValue& v : values)
    EXPECT_EQ(v.value, v.expected) << v.name;
}

struct ErrorEntry {
  OrvuLink_ErrorRuntime member;
  std::int32_t value;
  std::int32_t textId;
  const char* text;
};

// The error members with their values, text ids and texts, as hosts and the gateway know them.
constexpr ErrorEntry kErrors[] = {
    {ORVULINK_ERROR_GENERIC, 28374, 1001, "SMS gateway: generic error"},
    {ORVULINK_ERROR_AUTHENTICATION, 28375, 1002, "SMS gateway: username/password error"},
    {ORVULINK_ERROR_CGI, 28376, 1003, "SMS gateway: CGI error"},
    {ORVULINK_ERROR_CREDIT, 28377, 1004, "SMS gateway: insufficient credit"},
    {ORVULINK_ERROR_MAXQUEUE, 28378, 1005, "SMS gateway: too many messages in queue"},
    {ORVULINK_ERROR_NETWORK, 28379, 1006, "SMS gateway: unable to connect to server"},
    {ORVULINK_ERROR_GATEWAY, 28383, 1010, "SMS gateway: gateway error"},
    {ORVULINK_ERROR_VAPCODE, 28384, 1011, "SMS gateway: wrong VAP Code"},
    {ORVULINK_ERROR_AUTORESPONDER, 28385, 1012,
     "SMS gateway: autoresponder error (key is invalid or expired, or autoresponder text is "
     "invalid or already existing)"},
    {ORVULINK_ERROR_SENTSMS, 28386, 1013, "SMS gateway: message already sent"},
    {ORVULINK_ERROR_WRONG, 28387, 1014, "SMS gateway: message wrong"},
    {ORVULINK_ERROR_EXPLORER, 28388, 1015, "SMS gateway: Intenet Explorer version old"},
    {ORVULINK_ERROR_TEXT_MESSAGE, 28389, 1016, "SMS gateway: message from gateway"},
    {ORVULINK_ERROR_COMMAND, 28390, 1017, "SMS gateway: command error"},
    {ORVULINK_EVENT_KEYRECIVE_REQUEST, 28391, 1018, "SMS gateway: Request KeyRecive"},
};

TEST(ErrorTable, ValuesIdsAndTexts) {
  for (const ErrorEntry& e : kErrors) {
    EXPECT_EQ(e.member, e.value) << e.text;
    EXPECT_EQ(e.value - kErrorTextIdOffset, e.textId) << e.text;
    EXPECT_EQ(LoadResString(e.textId).utf8(), e.text);
    EXPECT_EQ(ErrorText(e.member).utf8(), e.text);
  }
}

TEST(StringTable, UnassignedIdsAreEmpty) {
  for (std::int32_t id : {0, 1000, 1007, 1008, 1009, 1019, 28374, -1}) {
    EXPECT_TRUE(LoadResString(id).empty()) << id;
  }
}

struct ExpectedMember {
  std::string_view name;
  MemberKind kind;
  bool resets;
};

TEST(OrvuLinkActiveXInterface, MembersInInterfaceOrder) {
  using enum MemberKind;
  const ExpectedMember expected[] = {
      {"LastRespose", kPropertyGet, true},
      {"LastRequest", kPropertyGet, true},
      {"Version", kPropertyGet, true},
      {"ErrDescription", kPropertyGet, false},
      {"ErrCode", kPropertyGet, false},
      {"EncryptSSL", kPropertyGetPut, true},
      {"TestMode", kPropertyGetPut, true},
      {"UserName", kPropertyGetPut, true},
      {"Password", kPropertyGetPut, true},
      {"AutomaticProxy", kPropertyGetPut, true},
      {"Proxy", kPropertyGetPut, true},
      {"ProxyPort", kPropertyGetPut, true},
      {"ProxyUsername", kPropertyGetPut, true},
      {"ProxyPassword", kPropertyGetPut, true},
      {"VAPcode", kPropertyGetPut, true},
      {"NotifyServer", kPropertyGet, true},
      {"NotifyUser", kPropertyGet, true},
      {"ForeignCountry", kPropertyGet, true},
      {"ShowAboutBox", kMethod, true},
      {"DelMessage", kMethod, true},
      {"GetCredit", kMethod, true},
      {"TestConnection", kMethod, true},
      {"MessagesToSend", kPropertyGet, false},
      {"MessagesToNotify", kPropertyGet, false},
      {"ReceptionKeys", kPropertyGet, false},
      {"FillReceptionKeys", kMethod, true},
  };
  const InterfaceDescription& control = OrvuLinkActiveXInterface();
  EXPECT_EQ(control.name, "_OrvuLinkActiveX");
  EXPECT_EQ(control.sourceInterface, "__OrvuLinkActiveX");
  ASSERT_EQ(control.members.size(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(control.members[i].name, expected[i].name) << i;
    EXPECT_EQ(control.members[i].kind, expected[i].kind) << expected[i].name;
    EXPECT_EQ(control.members[i].resetsErrorState, expected[i].resets) << expected[i].name;
  }
}

std::int32_t DispatchIdOf(std::string_view name) {
  for (const MemberDescription& member : OrvuLinkActiveXInterface().members) {
    if (member.name == name) return member.dispatchId;
  }
  ADD_FAILURE() << "no member " << name;
  return -1;
}

TEST(OrvuLinkActiveXInterface, DispatchIdsAreDistinctWithTheFixedOnesInPlace) {
  EXPECT_EQ(DispatchIdOf("UserName"), kDispidValue);
  EXPECT_EQ(DispatchIdOf("TestConnection"), 0x60030021);
  std::set<std::int32_t> seen;
  for (const MemberDescription& member : OrvuLinkActiveXInterface().members) {
    EXPECT_TRUE(seen.insert(member.dispatchId).second) << member.name;
    const bool inVbRange = (member.dispatchId & 0xFFFF0000) == 0x60030000;
    EXPECT_TRUE(member.name == "UserName" || inVbRange) << member.name;
  }
}

}  // namespace
}  // namespace orvulink::typelib
