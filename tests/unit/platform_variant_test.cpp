#include <orvulink/automation.hpp>

#include <gtest/gtest.h>

#include "test_support.hpp"

#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace orvulink {
namespace {

using testing::RaisesError;

struct TextCase {
  Variant value;
  std::string text;
};

TEST(VariantToTextTest, GivesTheAutomationConversionText) {
  const std::vector<TextCase> cases = {
      {Variant(), ""},
      {Variant(std::int16_t{-32768}), "-32768"},
      {Variant(150.5), "150.5"},
      {Variant(393331112223.0), "393331112223"},
      {Variant(0.1 + 0.2), "0.3"},
      {Variant(-0.0), "0"},
      {Variant(1.0 / 3.0), "0.333333333333333"},
      {Variant(999999999999999.0), "999999999999999"},
      {Variant(1e15), "1E+15"},
      {Variant(123456789012345678.0), "1.23456789012346E+17"},
      {Variant(0.000015), "0.000015"},
      {Variant(0.0000015), "1.5E-06"},
      {Variant(std::numeric_limits<double>::max()), "1.79769313486232E+308"},
      {Variant(true), "True"},
      {Variant(VariantBool::Raw(1)), "True"},
      {Variant(Date(38737.6463541667)), "2006-01-20 15:30:45"},
      {Variant("d\xC3\xA9j\xC3\xA0"), "d\xC3\xA9j\xC3\xA0"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(c.value.ToText().utf8(), c.text);
}

TEST(VariantToTextTest, ObjectIsATypeMismatch) {
  const Variant object(std::make_shared<Collection>());
  EXPECT_TRUE(RaisesError(13, [&] { object.ToText(); }));
}

TEST(CollectionTest, ItemsAreOneBasedInTheOrderAdded) {
  Collection list;
  list.Add("first");
  list.Add(std::int32_t{2}, "two");
  list.Add(3.5);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Item(1), Variant("first"));
  EXPECT_EQ(list.Item(2), Variant(std::int32_t{2}));
  EXPECT_EQ(list.Item(3), Variant(3.5));
  std::vector<Variant> iterated(list.begin(), list.end());
  EXPECT_EQ(iterated, (std::vector<Variant>{"first", std::int32_t{2}, 3.5}));
}

TEST(CollectionTest, KeysIgnoreLetterCase) {
  Collection list;
  list.Add("grave", "cl\xC3\xA8");
  list.Add("plain", "Key");
  EXPECT_EQ(list.Item(BStr("CL\xC3\x88")), Variant("grave"));
  EXPECT_EQ(list.Item(BStr("kEY")), Variant("plain"));
  EXPECT_TRUE(RaisesError(457, [&] { list.Add("again", "KEY"); }));
  EXPECT_TRUE(RaisesError(457, [&] { list.Add("again", "Cl\xC3\x88"); }));
  EXPECT_EQ(list.Count(), 2);
}

TEST(CollectionTest, MissingIndexAndKeyRaiseTheirErrors) {
  Collection list;
  list.Add("only", "k");
  for (std::int32_t index : {0, -1, 2, std::numeric_limits<std::int32_t>::max()}) {
    EXPECT_TRUE(RaisesError(9, [&] { list.Item(index); })) << index;
    EXPECT_TRUE(RaisesError(9, [&] { list.Remove(index); })) << index;
  }
  EXPECT_TRUE(RaisesError(5, [&] { list.Item(BStr("missing")); }));
  EXPECT_TRUE(RaisesError(5, [&] { list.Item(BStr("")); }));
}

TEST(CollectionTest, RemoveShiftsLaterItemsAndKeepsKeys) {
  Collection list;
  list.Add("a", "ka");
  list.Add("b", "kb");
  list.Add("c");
  list.Add("d", "kd");
  list.Remove(2);
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Item(2), Variant("c"));
  EXPECT_EQ(list.Item(BStr("ka")), Variant("a"));
  EXPECT_EQ(list.Item(BStr("kd")), Variant("d"));
  EXPECT_TRUE(RaisesError(5, [&] { list.Item(BStr("kb")); }));
  list.Add("b again", "KB");  // the removed key is free again
  EXPECT_EQ(list.Item(4), Variant("b again"));
  list.Remove(1);
  EXPECT_EQ(list.Item(BStr("kd")), Variant("d"));
  EXPECT_EQ(list.Item(BStr("kb")), Variant("b again"));
}

}  // namespace
}  // namespace orvulink
