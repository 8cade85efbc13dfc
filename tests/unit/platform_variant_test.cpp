#include <orvulink/automation.hpp>

#include <gtest/gtest.h>

#include "test_support.hpp"

#include <memory>
#include <string>
#include <vector>

namespace orvulink {
namespace {

using testing::RaisesError;

TEST(VariantToTextTest, GivesTheAutomationConversionText) {
  const std::pair<Variant, std::string> cases[] = {
      {Variant(), ""},
      {Variant(std::int16_t{-32768}), "-32768"},
      {Variant(393331112223.0), "393331112223"},
      {Variant(0.1 + 0.2), "0.3"},
      {Variant(999999999999999.0), "999999999999999"},
      {Variant(1e15), "1E+15"},
      {Variant(0.0000015), "1.5E-06"},
      {Variant(VariantBool::Raw(1)), "True"},
      {Variant(Date(38737.6463541667)), "2006-01-20 15:30:45"},
  };
  for (const auto& [value, text] : cases)
    EXPECT_EQ(value.ToText().utf8(), text);
  const Variant object(std::make_shared<Collection>());
  EXPECT_TRUE(RaisesError(13, [&] { object.ToText(); }));
}

// One-based items in the order added; keys ignore letter case, beyond ASCII too.
TEST(CollectionTest, KeysIgnoreCaseAndRemoveShiftsLaterItems) {
  Collection list;
  list.Add("a", "cl\xC3\xA8");
  list.Add(std::int32_t{2}, "kb");
  list.Add(3.5);
  list.Add("d", "Kd");
  EXPECT_EQ(list.Item(BStr("CL\xC3\x88")), Variant("a"));
  EXPECT_TRUE(RaisesError(457, [&] { list.Add("again", "KB"); }));
  EXPECT_EQ(list.Count(), 4);
  std::vector<Variant> iterated(list.begin(), list.end());
  EXPECT_EQ(iterated, (std::vector<Variant>{"a", std::int32_t{2}, 3.5, "d"}));
  list.Remove(2);
  EXPECT_EQ(list.Item(2), Variant(3.5));
  EXPECT_EQ(list.Item(BStr("kD")), Variant("d"));
  EXPECT_TRUE(RaisesError(5, [&] { list.Item(BStr("kb")); }));
  list.Add("b again", "KB");  // the removed key is free again
  EXPECT_EQ(list.Item(4), Variant("b again"));
  for (std::int32_t index : {0, 5}) {
    EXPECT_TRUE(RaisesError(9, [&] { list.Item(index); })) << index;
    EXPECT_TRUE(RaisesError(9, [&] { list.Remove(index); })) << index;
  }
}

}  // namespace
}  // namespace orvulink
