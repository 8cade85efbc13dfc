#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/property_bag.hpp>

#include "core/control_state.hpp"
#include "platform/boolean_conversion.hpp"
#include "test_support.hpp"

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace orvulink {
namespace {

using Settings = std::map<std::string, Variant>;

// A container's bag that records every call and refuses the keys a test names.
struct RecordingBag : PropertyBag {
  Settings stored;
  std::set<std::string> refused;
  std::vector<std::string> reads;
  std::vector<std::tuple<std::string, Variant, Variant>> writes;

  Variant ReadProperty(const BStr& name, const Variant& defaultValue) override {
    reads.push_back(name.utf8());
    if (refused.contains(name.utf8())) throw AutomationError(5, u"bag", u"unreadable");
    auto found = stored.find(name.utf8());
    return found == stored.end() ? defaultValue : found->second;
  }
  void WriteProperty(const BStr& name, const Variant& value, const Variant& def) override {
    if (refused.contains(name.utf8())) throw AutomationError(5, u"bag", u"unwritable");
    writes.emplace_back(name.utf8(), value, def);
  }
};

const std::vector<std::string> kKeys = {
    "UserName",          "Password", "VAPCode",   "TestMode",      "encryptSSL",
    "UseAutomayicProxy", "Proxy",    "ProxyPort", "PRoxyUsername", "ProxyPassword"};
const Settings kDefaults = {{"UserName", ""},     {"Password", ""},     {"VAPCode", ""},
                            {"TestMode", false},  {"encryptSSL", true}, {"UseAutomayicProxy", true},
                            {"Proxy", ""},        {"ProxyPort", ""},    {"PRoxyUsername", ""},
                            {"ProxyPassword", ""}};

Variant AnObject() {
  return Variant(std::shared_ptr<AutomationObject>(std::make_shared<Collection>()));
}

// Every setting away from its default, each to a value of its own.
void SetEverySetting(OrvuLinkActiveX& c) {
  c.UserName("user");
  c.Password("pass");
  c.VAPcode("ABCDEFGHIJ");
  c.TestMode(true);
  c.EncryptSSL(false);
  c.AutomaticProxy(false);
  c.Proxy("gw");
  c.ProxyPort("3128");
  c.ProxyUsername("puser");
  c.ProxyPassword("ppass");
}

Settings Current(const OrvuLinkActiveX& c) {
  return {{"UserName", c.UserName()},
          {"Password", c.Password()},
          {"VAPCode", c.VAPcode()},
          {"TestMode", c.TestMode()},
          {"encryptSSL", c.EncryptSSL()},
          {"UseAutomayicProxy", c.AutomaticProxy()},
          {"Proxy", c.Proxy()},
          {"ProxyPort", c.ProxyPort()},
          {"PRoxyUsername", c.ProxyUsername()},
          {"ProxyPassword", c.ProxyPassword()}};
}

TEST(Persistence, SaveWritesTheTenKeysInOrderWithValueAndDefault) {
  auto control = OrvuLinkActiveX::Create();
  SetEverySetting(*control);
  const Settings values = Current(*control);
  RecordingBag bag;
  bag.refused = {"VAPCode"};  // skipped, the rest still written
  core::ThisThreadState().ErrCode = 28379;
  control->WriteProperties(bag);
  EXPECT_EQ(control->ErrCode(), 28379);
  std::vector<std::string> written;
  for (const auto& [key, value, def] : bag.writes) {
    written.push_back(key);
    EXPECT_EQ(value, values.at(key)) << key;
    EXPECT_EQ(def, kDefaults.at(key)) << key;
  }
  std::vector<std::string> expected = kKeys;
  std::erase(expected, "VAPCode");
  EXPECT_EQ(written, expected);
}

TEST(Persistence, RestoreStoresConvertedValuesStraightIntoTheState) {
  const struct {
    const char* name;
    Settings bag;
    Settings changes;  // over the defaults
  } cases[] = {
      {"VAPCode of seven", {{"VAPCode", "ABCDEFG"}}, {{"VAPCode", "ABCDEFG"}}},
      {"other keys ignored",
       {{"AutomaticProxy", false}, {"username", "x"}, {"VAPcode", "ABCDEFGHIJ"}},
       {}},
      {"conversions",
       {{"UserName", std::int16_t{42}},
        {"encryptSSL", "0"},
        {"TestMode", "TRUE"},
        {"UseAutomayicProxy", std::int32_t{0}},
        {"ProxyPort", 8080.0}},
       {{"UserName", "42"},
        {"encryptSSL", false},
        {"TestMode", true},
        {"UseAutomayicProxy", false},
        {"ProxyPort", "8080"}}},
      {"unconvertible values keep their fields",
       {{"TestMode", "maybe"},
        {"UserName", AnObject()},
        {"encryptSSL", "no"},
        {"Password", "p"},
        {"Proxy", "gw"},
        {"PRoxyUsername", "pu"},
        {"ProxyPassword", "pp"}},
       {{"TestMode", true},
        {"UserName", "user"},
        {"encryptSSL", false},
        {"Password", "p"},
        {"Proxy", "gw"},
        {"PRoxyUsername", "pu"},
        {"ProxyPassword", "pp"}}},
  };
  for (const auto& c : cases) {
    auto control = OrvuLinkActiveX::Create();
    SetEverySetting(*control);
    RecordingBag bag;
    bag.stored = c.bag;
    control->ReadProperties(bag);
    EXPECT_EQ(control->ErrCode(), 0) << c.name;
    EXPECT_EQ(bag.reads, kKeys) << c.name;
    Settings expected = kDefaults;
    for (const auto& [key, value] : c.changes)
      expected[key] = value;
    EXPECT_EQ(Current(*control), expected) << c.name;
  }
}

TEST(Persistence, RestoreSkipsAnUnreadableValueAndReportsNothing) {
  auto control = OrvuLinkActiveX::Create();
  control->Proxy("kept");
  RecordingBag bag;
  bag.refused = {"Proxy"};
  bag.stored = {{"ProxyPort", "8080"}};
  core::ThisThreadState().ErrCode = 28379;
  EXPECT_NO_THROW(control->ReadProperties(bag));
  EXPECT_EQ(control->ErrCode(), 28379);
  EXPECT_EQ(control->Proxy(), BStr("kept"));
  EXPECT_EQ(control->ProxyPort(), BStr("8080"));
}

TEST(BooleanConversion, FollowsTheAutomationRules) {
  const struct {
    Variant value;
    std::optional<std::int16_t> raw;  // none: type mismatch
  } cases[] = {
      {VariantBool::Raw(1), 1},
      {std::int32_t{-5}, -1},
      {Variant(), 0},
      {Date(1.0), -1},
      {"TRUE", -1},
      {"fAlSe", 0},
      {"0.0", 0},
      {"maybe", std::nullopt},
      {AnObject(), std::nullopt},
  };
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(index++);
    if (c.raw) {
      EXPECT_EQ(platform::ToVariantBool(c.value).value, *c.raw);
      continue;
    }
    auto error = testing::CatchAutomationError([&] { platform::ToVariantBool(c.value); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), 13);
  }
}

}  // namespace
}  // namespace orvulink
