#include "sim/fault.hpp"

#include <gtest/gtest.h>

#include "sim/fault_board.hpp"

namespace orvulink::sim {
namespace {

using std::chrono::milliseconds;
using Json = nlohmann::json;

struct TextCase {
  const char* text;
  Json expected;  // FaultToJson of the parsed fault
};

void PrintTo(const TextCase& c, std::ostream* os) {
  *os << c.text;
}

class FaultTextParses : public testing::TestWithParam<TextCase> {};

TEST_P(FaultTextParses, ToTheFault) {
  EXPECT_EQ(FaultToJson(ParseFault(GetParam().text)), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FaultTextParses,
    testing::Values(
        TextCase{"empty", {{"target", "cgi"}, {"kind", "empty"}}},
        TextCase{"cgi:garbage", {{"target", "cgi"}, {"kind", "garbage"}}},
        TextCase{"probe:drop", {{"target", "probe"}, {"kind", "drop"}}},
        TextCase{"code=97", {{"target", "cgi"}, {"kind", "code"}, {"code", "97"}, {"payload", ""}}},
        TextCase{"code=00:<pre>Closed: back soon</pre>x2",
                 {{"target", "cgi"},
                  {"kind", "code"},
                  {"code", "00"},
                  {"payload", "<pre>Closed: back soon</pre>"},
                  {"count", 2}}},
        TextCase{"delay=1500", {{"target", "cgi"}, {"kind", "delay"}, {"delay_ms", 1500}}},
        TextCase{"probe:http=404x1",
                 {{"target", "probe"}, {"kind", "http"}, {"status", 404}, {"count", 1}}},
        TextCase{"emptyx10", {{"target", "cgi"}, {"kind", "empty"}, {"count", 10}}}));

class FaultTextRefuses : public testing::TestWithParam<const char*> {};

TEST_P(FaultTextRefuses, WithAReason) {
  EXPECT_THROW(ParseFault(GetParam()), FaultError);
}

INSTANTIATE_TEST_SUITE_P(Texts, FaultTextRefuses,
                         testing::Values("", "x2", "boom", "EMPTY", "web:empty", "empty=1", "code",
                                         "code=9", "code=977", "delay", "delay=soon", "delay=-5",
                                         "delay=600001", "http=200", "http=600", "http=4o4",
                                         "emptyx0", "emptyx1000001"));

TEST(FaultText, NoBlankBeforeTheCount) {
  // "drop x3" is not a count: the kind would be "drop " and that is no kind.
  EXPECT_THROW(ParseFault("drop x3"), FaultError);
}

TEST(FaultJson, ReadsEveryKey) {
  const Fault fault =
      FaultFromJson(Json{{"target", "probe"}, {"kind", "delay"}, {"delay_ms", 250}, {"count", 4}});
  EXPECT_EQ(fault.target, FaultTarget::kProbe);
  EXPECT_EQ(fault.kind, FaultKind::kDelay);
  EXPECT_EQ(fault.delay, milliseconds(250));
  EXPECT_EQ(fault.count, 4U);
}

TEST(FaultJson, RoundTripsThroughItsOwnForm) {
  for (const char* text : {"code=97:Top up x2", "probe:http=407", "delay=9x1", "garbage"}) {
    const Json once = FaultToJson(ParseFault(text));
    EXPECT_EQ(FaultToJson(FaultFromJson(once)), once) << text;
  }
}

class FaultJsonRefuses : public testing::TestWithParam<Json> {};

TEST_P(FaultJsonRefuses, WithAReason) {
  EXPECT_THROW(FaultFromJson(GetParam()), FaultError);
}

INSTANTIATE_TEST_SUITE_P(
    Objects, FaultJsonRefuses,
    testing::Values(Json::array(), Json{{"target", "cgi"}}, Json{{"kind", 5}},
                    Json{{"kind", "nothing"}}, Json{{"kind", "empty"}, {"target", "both"}},
                    Json{{"kind", "empty"}, {"code", "97"}},           // a key the kind ignores
                    Json{{"kind", "delay"}, {"delay", 100}},           // misspelt key
                    Json{{"kind", "delay"}},                           // no delay_ms
                    Json{{"kind", "code"}, {"code", 97}},              // code as a number
                    Json{{"kind", "http"}, {"status", "401"}},         // status as text
                    Json{{"kind", "http"}, {"status", 4294967697LL}},  // wraps to 401 if narrowed
                    Json{{"kind", "empty"}, {"count", 0}}, Json{{"kind", "empty"}, {"count", -1}},
                    Json{{"kind", "empty"}, {"count", 4294967297LL}}));

TEST(FaultBoard, CountsDownThenHandsOverToTheNextFault) {
  FaultBoard board;
  board.Add(ParseFault("emptyx2"));
  board.Add(ParseFault("code=96"));
  board.Add(ParseFault("probe:dropx1"));
  std::vector<std::string> seen;
  for (int i = 0; i < 4; ++i)
    seen.push_back(FaultToJson(*board.Take(FaultTarget::kCgi))["kind"]);
  EXPECT_EQ(seen, (std::vector<std::string>{"empty", "empty", "code", "code"}));
  EXPECT_EQ(board.Pending(FaultTarget::kCgi).size(), 1U);
}

TEST(FaultBoard, TargetsAreSeparateAndClearEmptiesBoth) {
  FaultBoard board;
  board.Add(ParseFault("probe:dropx1"));
  EXPECT_FALSE(board.Take(FaultTarget::kCgi));
  EXPECT_TRUE(board.Take(FaultTarget::kProbe));
  EXPECT_FALSE(board.Take(FaultTarget::kProbe));  // its one request is spent
  board.Add(ParseFault("empty"));
  board.Add(ParseFault("probe:empty"));
  board.Clear();
  EXPECT_FALSE(board.Take(FaultTarget::kCgi));
  EXPECT_FALSE(board.Take(FaultTarget::kProbe));
}

}  // namespace
}  // namespace orvulink::sim
