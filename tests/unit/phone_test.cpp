// Separator stripping and phone-number normalisation.
#include "gateway/phone.hpp"

#include <gtest/gtest.h>

#include <string>

namespace orvulink::gateway {
namespace {

struct StripCase {
  std::u16string value;
  std::u16string stripped;
};

class StripSeparatorsTest : public ::testing::TestWithParam<StripCase> {};

TEST_P(StripSeparatorsTest, DeletesSeparatorsInOrder) {
  std::u16string value = GetParam().value;
  EXPECT_TRUE(StripSeparators(value));
  EXPECT_EQ(value, GetParam().stripped);
}

// "\r:\n" keeps its CR LF: the pair is deleted before ":" is, so it never meets.
INSTANTIATE_TEST_SUITE_P(Cases, StripSeparatorsTest,
                         ::testing::Values(StripCase{u"12;34:56,7", u"1234567"},
                                           StripCase{u"a\r\nb", u"ab"}, StripCase{u"a\rb", u"a\rb"},
                                           StripCase{u"a\nb", u"a\nb"}, StripCase{u"\r;\n", u""},
                                           StripCase{u"\r,\n", u""}, StripCase{u"\r:\n", u"\r\n"},
                                           StripCase{u"\r\t\n", u"\r\n"},
                                           StripCase{u"\r\r\n\n", u"\r\n"}, StripCase{u"", u""},
                                           StripCase{u"a b\u00e8", u"a b\u00e8"}));

struct PhoneCase {
  std::u16string number;
  std::u16string normalized;
  bool valid;
};

class NormalizePhoneGsmTest : public ::testing::TestWithParam<PhoneCase> {};

TEST_P(NormalizePhoneGsmTest, RewritesAndJudges) {
  std::u16string number = GetParam().number;
  EXPECT_EQ(NormalizePhoneGsm(number), GetParam().valid);
  EXPECT_EQ(number, GetParam().normalized);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NormalizePhoneGsmTest,
    ::testing::Values(
        PhoneCase{u" 0039333123456 ", u"+39333123456", true},
        PhoneCase{u"+39333123456", u"+39333123456", true}, PhoneCase{u"333123", u"+333123", true},
        PhoneCase{u"33312", u"+33312", false}, PhoneCase{u"abc1234567", u"+abc1234567", false},
        PhoneCase{u"3331234x", u"+3331234x", false}, PhoneCase{u"", u"+", false},
        PhoneCase{u"   ", u"+", false}, PhoneCase{u"+", u"+", false},
        PhoneCase{u"+abc", u"+abc", false}, PhoneCase{u"00", u"+", false},
        PhoneCase{u"+0039333123", u"+0039333123", true}, PhoneCase{u"0012345", u"+12345", false},
        PhoneCase{u"00012345", u"+012345", true}, PhoneCase{u"0001234567", u"+01234567", true},
        PhoneCase{u"12345678901234", u"+12345678901234", true},
        PhoneCase{u"123456789012345", u"+123456789012345", false},
        PhoneCase{u"\u0663\u0663\u0663\u0661\u0662\u0663", u"+\u0663\u0663\u0663\u0661\u0662\u0663",
                  false}));

}  // namespace
}  // namespace orvulink::gateway
