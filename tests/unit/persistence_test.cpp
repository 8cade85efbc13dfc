#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/property_bag.hpp>

#include "core/control_state.hpp"
#include "test_support.hpp"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace orvulink {
namespace {

using Settings = std::map<std::string, Variant>;

// A container's bag that refuses the keys a test names.
struct RecordingBag : PropertyBag {
  Settings stored;
  std::set<std::string> refused;
  std::vector<std::tuple<std::string, Variant, Variant>> writes;

  Variant ReadProperty(const BStr& name, const Variant& defaultValue) override {
    if (refused.contains(name.utf8())) throw AutomationError(5, u"bag", u"unreadable");
    auto found = stored.find(name.utf8());
    return found == stored.end() ? defaultValue : found->second;
  }
  void WriteProperty(const BStr& name, const Variant& value, const Variant& def) override {
    if (refused.contains(name.utf8())) throw AutomationError(5, u"bag", u"unwritable");
    writes.emplace_back(name.utf8(), value, def);
  }
};

// The keys as saved files know them, look-alike spellings included, with their defaults.
const Settings kDefaults = {{"UserName", ""},     {"Password", ""},     {"VAPCode", ""},
                            {"TestMode", false},  {"encryptSSL", true}, {"UseAutomayicProxy", true},
                            {"Proxy", ""},        {"ProxyPort", ""},    {"PRoxyUsername", ""},
                            {"ProxyPassword", ""}};

Variant AnObject() {
  return Variant(std::shared_ptr<AutomationObject>(std::make_shared<Collection>()));
}

// Every setting away from its default.
const Settings kEverySetting = {
    {"UserName", "user"},      {"Password", "pass"},  {"VAPCode", "ABCDEFGHIJ"},
    {"TestMode", true},        {"encryptSSL", false}, {"UseAutomayicProxy", false},
    {"Proxy", "gw"},           {"ProxyPort", "3128"}, {"PRoxyUsername", "puser"},
    {"ProxyPassword", "ppass"}};

std::shared_ptr<OrvuLinkActiveX> ControlWithEverySetting() {
  auto control = OrvuLinkActiveX::Create();
  RecordingBag bag;
  bag.stored = kEverySetting;
  control->ReadProperties(bag);
  return control;
}

Settings Saved(OrvuLinkActiveX& control, std::set<std::string> refused = {}) {
  RecordingBag bag;
  bag.refused = std::move(refused);
  control.WriteProperties(bag);
  Settings saved;
  for (const auto& [key, value, def] : bag.writes) {
    EXPECT_EQ(def, kDefaults.at(key)) << key;
    saved[key] = value;
  }
  return saved;
}

// A key the bag refuses is skipped, the rest still written; the error state stays as it was.
TEST(Persistence, SaveWritesEveryKeyWithValueAndDefault) {
  auto control = ControlWithEverySetting();
  EXPECT_EQ(control->UserName(), BStr("user"));
  EXPECT_EQ(control->AutomaticProxy().value, 0);
  core::ThisThreadState().ErrCode = 28379;
  Settings expected = kEverySetting;
  expected.erase("VAPCode");
  EXPECT_EQ(Saved(*control, {"VAPCode"}), expected);
  EXPECT_EQ(control->ErrCode(), 28379);
}

// Restoring converts each value; one that will not convert, or cannot be read, keeps its field.
TEST(Persistence, RestoreStoresConvertedValuesStraightIntoTheState) {
  const struct {
    const char* name;
    Settings bag;
    Settings changes;  // over every setting
  } cases[] = {
      {"look-alike keys ignored",
       {{"AutomaticProxy", true}, {"username", "x"}, {"VAPcode", "ABCDEFGHIJ"}, {"Proxy ", "x"}},
       {}},
      {"conversions",
       {{"UserName", std::int16_t{42}}, {"encryptSSL", "-1"}, {"UseAutomayicProxy", "tRuE"}},
       {{"UserName", "42"}, {"encryptSSL", true}, {"UseAutomayicProxy", true}}},
      {"unconvertible",
       {{"TestMode", "maybe"}, {"UserName", AnObject()}, {"encryptSSL", AnObject()}},
       {}},
  };
  for (const auto& c : cases) {
    auto control = ControlWithEverySetting();
    RecordingBag bag;
    bag.stored = kEverySetting;
    for (const auto& [key, value] : c.bag)
      bag.stored[key] = value;
    bag.refused = {"Proxy"};
    control->Proxy("kept");
    core::ThisThreadState().ErrCode = 28379;
    control->ReadProperties(bag);
    EXPECT_EQ(control->ErrCode(), 28379) << c.name;
    Settings expected = kEverySetting;
    expected["Proxy"] = "kept";
    for (const auto& [key, value] : c.changes)
      expected[key] = value;
    EXPECT_EQ(Saved(*control), expected) << c.name;
  }
}

}  // namespace
}  // namespace orvulink
