// The reception commands (4, 5, 6, 16, 17) and the control endpoint's way to receive an SMS.
#include <gtest/gtest.h>
#include <httplib.h>

#include <nlohmann/json.hpp>

#include "command_builder.hpp"
#include "sim/gateway.hpp"
#include "sim/simulator_thread.hpp"

namespace orvulink::sim {
namespace {

using namespace testing_support;
using Json = nlohmann::json;

AccountFixture ReceptionFixture() {
  return ParseFixture(Json::parse(R"({"accounts": [{
      "user": "demo", "password": "demo-password",
      "reception_keys": [
        {"key": "K1", "autoresponder": "Back on Monday", "messages": [
          {"sent": "2006-01-20 10:15:00", "sender": "+39333111", "text": "Ciao"},
          {"sent": "2006-01-20 10:16:00", "sender": "+39333222", "text": "Si"}]},
        "K2",
        {"key": "OLD", "expired": true}]}]})"));
}

std::string Download(const std::string& key) {
  return Command(4, {}, {{"SERIAL", Serial()}, {"KEY", key}});
}
std::string Check() {
  return Command(5, {}, {{"SERIAL", Serial()}});
}
std::string Count(const std::string& key) {
  return Command(6, {}, {{"SERIAL", Serial()}, {"KEY", key}});
}
std::string Reply(const std::string& key) {
  return Command(16, {}, {{"KEY", key}, {"SERIAL", Serial()}});
}
std::string SetReply(const std::string& key, const std::string& text) {
  return Command(17, {}, {{"KEY", key}, {"AUTORESPONDER", text}, {"SERIAL", Serial()}});
}

constexpr char kBothMessages[] =
    "01\n2 2006-01-20\t10:15:00\t+39333111\tCiao\x1F"
    "2006-01-20\t10:16:00\t+39333222\tSi";

class ReceptionCommands : public testing::Test {
 protected:
  std::string Answer(const std::string& body) { return gateway_.Handle(body).Text(); }
  Gateway gateway_{ReceptionFixture(), Serial()};
};

TEST_F(ReceptionCommands, AConfirmedDownloadIsDeliveredOnce) {
  EXPECT_EQ(Answer(Count("K1")), "01\n2");
  EXPECT_EQ(Answer(Download("K1")), kBothMessages);
  EXPECT_EQ(Answer(Check()), "01\n2 confirmed");
  EXPECT_EQ(Answer(Count("K1")), "01\n0");
  EXPECT_EQ(Answer(Download("K1")), "01\n0 ");
  EXPECT_EQ(Answer(Check()), "01\n0 confirmed");
}

TEST_F(ReceptionCommands, ACheckConfirmsOnlyWhatTheDownloadOffered) {
  EXPECT_EQ(Answer(Check()), "89");  // no download to confirm
  EXPECT_EQ(Answer(Download("K2")), "01\n0 ");
  ASSERT_EQ(gateway_.ReceiveSms("K2", {"2006-02-01 08:00:00", "+39347000", "Late"}), 1u);
  EXPECT_EQ(Answer(Check()), "01\n0 confirmed");
  EXPECT_EQ(Answer(Download("K2")), "01\n1 2006-02-01\t08:00:00\t+39347000\tLate");
}

TEST_F(ReceptionCommands, AutomaticReplies) {
  EXPECT_EQ(Answer(Reply("K1")), "01\nBack on Monday");
  EXPECT_EQ(Answer(Reply("K2")), std::string("01\n") + kDefaultAutoresponder);
  EXPECT_EQ(Answer(SetReply("K2", "Torno luned\u00ec")), "01\nautoresponder set");
  EXPECT_EQ(Answer(Reply("K2")), "01\nTorno luned\u00ec");
}

TEST_F(ReceptionCommands, RefusalsAndLayouts) {
  const struct {
    const char* name;
    std::string body;
    std::string answer;
  } cases[] = {
      {"reply for an expired key", SetReply("OLD", "x"), "93"},
      {"download of an unknown key", Download("K9"), "93"},
      {"count with KEY first", Command(6, {}, {{"KEY", "K1"}, {"SERIAL", Serial()}}), "98"},
      {"wrong password", Command(16, {"demo", "x"}, {{"KEY", "K1"}, {"SERIAL", Serial()}}), "99"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(Answer(c.body), c.answer) << c.name;
  EXPECT_EQ(Answer(Reply("K1")), "01\nBack on Monday");
}

TEST(ReceiveEndpoint, AnSmsWaitsOnItsKeyUntilAReset) {
  SimulatorThread simulator(SimulatorConfig{});
  httplib::Client client("127.0.0.1", simulator.port());
  const auto received =
      client.Post("/control/receive", R"({"key": "K1", "sender": "+39333111", "text": "Ciao"})",
                  "application/json");
  ASSERT_TRUE(received);
  EXPECT_EQ(received->status, 200);
  EXPECT_EQ(Json::parse(received->body), (Json{{"key", "K1"}, {"waiting", 1}}));
  EXPECT_EQ(simulator.state().gateway.Handle(Count("K1")).Text(), "01\n1");

  const auto unknown = client.Post(
      "/control/receive", R"({"key": "K9", "sender": "+1", "text": "x"})", "application/json");
  ASSERT_TRUE(unknown);
  EXPECT_EQ(unknown->status, 404);
  const auto malformed =
      client.Post("/control/receive", R"({"key": "K1", "text": "x"})", "application/json");
  ASSERT_TRUE(malformed);
  EXPECT_EQ(malformed->status, 400);

  ASSERT_TRUE(client.Post("/control/reset", "", "application/json"));
  EXPECT_EQ(simulator.state().gateway.Handle(Count("K1")).Text(), "01\n0");
}

}  // namespace
}  // namespace orvulink::sim
