// The simulator over HTTP on loopback: page framing, injected faults, the control endpoint.
#include <gtest/gtest.h>
#include <httplib.h>

#include <nlohmann/json.hpp>

#include "sim/simulator_thread.hpp"
#include "sim_support.hpp"

namespace orvulink::sim {
namespace {

using namespace testing_support;
using Json = nlohmann::json;
using namespace std::chrono_literals;

class Server : public testing::Test {
 protected:
  httplib::Result Post(const std::string& path, const std::string& body = "") {
    return client_.Post(path, body, path.starts_with("/cgi") ? "text/plain" : "application/json");
  }
  // What the client keeps of a page: all but the first 16 and the last 20 characters.
  std::string Answer(const std::string& body = Command(2, {{"SERIAL", kSerial}})) {
    const auto page = Post("/cgi/orvusms_gw_plus.php", body);
    return page ? page->body.substr(16, page->body.size() - 36) : "<no answer>";
  }
  Json Get(const char* path) { return Json::parse(client_.Get(path)->body); }

  SimulatorThread simulator_;
  httplib::Client client_{"127.0.0.1", simulator_.port()};
};

TEST_F(Server, FaultsApplyForTheirCountAreLoggedAndExpire) {
  const struct {
    Json fault;
    int status;  // 0: no answer at all
    std::string page;
  } cases[] = {
      {{{"kind", "empty"}}, 200, ""},
      {{{"kind", "garbage"}}, 200, "?"},  // anything but two digits
      {{{"kind", "code"}, {"code", "00"}, {"payload", "<pre>Closed</pre>"}},
       200,
       "<html>\r\n<body>\r\n00\n<pre>Closed</pre>\r\n</body>\r\n</html>\r\n"},
      {{{"kind", "http"}, {"status", 401}}, 401, "*"},
      {{{"kind", "drop"}}, 0, ""},
      {{{"kind", "delay"}, {"delay_ms", 800}}, 0, ""},  // later than the client waits
      {{{"target", "probe"}, {"kind", "drop"}},
       200,  // the CGI is left alone
       "<html>\r\n<body>\r\n01\n150.50 credits\r\n</body>\r\n</html>\r\n"},
  };
  client_.set_read_timeout(500ms);
  for (auto c : cases) {
    SCOPED_TRACE(c.fault.dump());
    ASSERT_EQ(Post("/control/reset")->status, 204);
    c.fault["count"] = 2;
    ASSERT_EQ(Post("/control/fault", c.fault.dump())->status, 200);
    for (int i = 0; i < 2; ++i) {
      const auto result = Post("/cgi/orvusms_gw_plus.php", Command(2, {{"SERIAL", kSerial}}));
      ASSERT_EQ(bool(result), c.status != 0);
      if (!result) continue;
      EXPECT_EQ(result->status, c.status);
      const std::string& page = result->body;  // "?": no two-digit code where it belongs
      EXPECT_TRUE(c.page == "*" || page == c.page ||
                  (c.page == "?" && !(isdigit(page.at(16)) && isdigit(page.at(17)))))
          << page;
    }
    EXPECT_EQ(Answer(), "01\n150.50 credits");
    EXPECT_EQ(Get("/control/requests").size(), 3U);
  }
}

TEST_F(Server, TheControlEndpointReceivesAdvancesSettlesAndResets) {
  EXPECT_EQ(Post("/cgi/orvusms_gw_plus.php", SendBody({{}}))->get_header_value("Content-Type"),
            "text/html; charset=windows-1252");
  const auto state = [this] { return Answer(StatusBody("ORD-1:")).back(); };
  EXPECT_EQ(state(), '0');
  EXPECT_TRUE(Json::parse(Post("/control/advance", R"({"ms": 1000})")->body).contains("now"));
  EXPECT_EQ(state(), '2');
  EXPECT_EQ(Json::parse(Post("/control/settle")->body), (Json{{"settled", 1}}));
  EXPECT_EQ(state(), '3');
  const auto count = [this] { return Answer(Command(6, {{"SERIAL", kSerial}, {"KEY", "K1"}})); };
  const auto received = Post("/control/receive", R"({"key": "K1", "sender": "+1", "text": "x"})");
  EXPECT_EQ(Json::parse(received->body), (Json{{"key", "K1"}, {"waiting", 1}}));
  EXPECT_EQ(count(), "01\n1");
  EXPECT_EQ(Post("/control/receive", R"({"key": "K9", "sender": "+1", "text": "x"})")->status, 404);
  EXPECT_EQ(Post("/control/receive", R"({"key": "K1", "text": "x"})")->status, 400);
  const Json accounts = Get("/control/accounts");
  ASSERT_EQ(Post("/control/reset")->status, 204);
  EXPECT_EQ(count(), "01\n0");
  EXPECT_EQ(state(), 'L');                        // NULL: the order is forgotten
  EXPECT_NE(Get("/control/accounts"), accounts);  // the send's charge is undone
  EXPECT_LT(simulator_.state().gateway.Now() - std::chrono::system_clock::now(), 500ms);
}

// A second simulator on a port in use must fail, not share the port with the first.
TEST(SimulatorBind, PortInUseIsAnError) {
  SimulatorThread first;
  Simulator second{SimulatorConfig{}};
  EXPECT_THROW(second.Bind("127.0.0.1", first.port()), std::runtime_error);
}

}  // namespace
}  // namespace orvulink::sim
