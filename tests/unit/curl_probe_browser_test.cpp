// The libcurl probe browser against an in-process server on loopback, driven by the pump.
#include <gtest/gtest.h>

#include "platform/curl_probe_browser.hpp"
#include "platform/runtime_error.hpp"
#include "test_server.hpp"
#include "test_support.hpp"

#include <orvulink/platform.hpp>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace orvulink::platform {
namespace {

using namespace std::chrono_literals;
using testing::TestServer;

const std::string kProbePage =
    "<html><head><title>probe</title></head>\r\n<BODY class=\"x\">\r\n<p>98</p>\r\n</body></html>";

// Pumps this thread's messages `rounds` times, or until `done` holds.
template <class Done>
bool Pump(int rounds, Done done) {
  for (int round = 0; round < rounds && !done(); ++round) {
    PumpMessages();
    std::this_thread::sleep_for(2ms);
  }
  return done();
}

class CurlProbeBrowserTest : public ::testing::Test {
 protected:
  // A server with the probe page, a redirect to it, error statuses and a stalled answer.
  void StartServer(TestServer& server) {
    server.Routes().Get("/update/neton.htm", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kProbePage, "text/html");
    });
    server.Routes().Get("/old.htm", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("/update/neton.htm");
    });
    server.Routes().Get(R"(/status/(\d+))",
                        [](const httplib::Request& req, httplib::Response& res) {
                          res.status = std::stoi(req.matches[1]);
                          res.set_content("<html><body>failed</body></html>", "text/html");
                        });
    server.Routes().Get("/stall", [&server](const httplib::Request&, httplib::Response& res) {
      server.StallUntilReleased();
      res.set_content(kProbePage, "text/html");
    });
    server.Start();
  }

  // The events in the order the pump delivered them: "progress v/max", "complete url",
  // "error url status".
  std::unique_ptr<ProbeBrowser> NewBrowser(std::chrono::milliseconds timeout = 10s) {
    events_.clear();
    auto browser = MakeCurlProbeBrowser(timeout);
    ProbeBrowserEvents events;
    events.ProgressChange = [this](std::int32_t value, std::int32_t max) {
      events_.push_back("progress " + std::to_string(value) + "/" + std::to_string(max));
    };
    events.NavigateComplete2 = [this](const BStr& url) {
      events_.push_back("complete " + url.utf8());
    };
    events.NavigateError = [this](const BStr& url, std::int32_t status) {
      events_.push_back("error " + url.utf8() + " " + std::to_string(status));
    };
    browser->SetEvents(events);
    return browser;
  }
  bool Ended() const { return !events_.empty() && !events_.back().starts_with("progress"); }

  testing::CleanNetworkEnvironment environment_;
  std::vector<std::string> events_;
};

// Events arrive only through the pump, progress first.
TEST_F(CurlProbeBrowserTest, APageArrivesWithProgressBeforeCompletion) {
  TestServer server;
  StartServer(server);
  auto browser = NewBrowser();
  const std::string url = server.Url("/update/neton.htm");
  browser->Navigate2(url);
  EXPECT_TRUE(browser->Busy());
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(events_.empty());
  ASSERT_TRUE(Pump(5000, [&] { return Ended(); }));
  const std::string size = std::to_string(kProbePage.size());
  ASSERT_GE(events_.size(), 2u);
  EXPECT_EQ(events_.front().substr(0, 9), "progress ");
  EXPECT_EQ(events_[events_.size() - 2], "progress " + size + "/" + size);
  EXPECT_EQ(events_.back(), "complete " + url);
  EXPECT_FALSE(browser->Busy());
}

// Through Navigate as well: a redirect, a scheme in any case, HTTPS trusted through the CA file,
// an error status and the transport faults, each with the status of its kind.
TEST_F(CurlProbeBrowserTest, EachNavigationEndsInOneEvent) {
  TestServer server;
  StartServer(server);
  TestServer secure(TestServer::Scheme::kHttps);
  StartServer(secure);
  TestServer untrusted(TestServer::Scheme::kHttps);
  StartServer(untrusted);
  testing::ScopedEnvironment ca("ORVULINK_CA_FILE", std::nullopt);
  const struct {
    std::string url;
    std::chrono::milliseconds timeout;
    bool trusted;
    std::int32_t status;  // 0: complete
  } cases[] = {
      {server.Url("/old.htm"), 10s, false, 0},
      {server.Url("/update/neton.htm", "HtTp"), 10s, false, 0},
      {secure.Url("/update/neton.htm", "Https"), 10s, true, 0},
      {server.Url("/status/404"), 10s, false, 404},
      {server.Url("/status/407"), 10s, false, 407},
      {"http://127.0.0.1:" + std::to_string(testing::RefusingLoopbackPort()) + "/neton.htm", 10s,
       false, kInetResourceNotFound},
      {server.Url("/stall"), 300ms, false, kInetConnectionTimeout},
      {untrusted.Url("/update/neton.htm", "Https"), 10s, false, kInetSecurityProblem},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    ca.Set(c.trusted ? std::optional(testing::TestTlsFiles().certificate) : std::nullopt);
    auto browser = NewBrowser(c.timeout);
    browser->Navigate(c.url);
    ASSERT_TRUE(Pump(5000, [&] { return Ended(); }));
    EXPECT_EQ(events_.back(), c.status == 0 ? "complete " + c.url
                                            : "error " + c.url + " " + std::to_string(c.status));
  }
}

TEST_F(CurlProbeBrowserTest, TheSystemProxyConfigurationApplies) {
  TestServer proxy;
  std::string target;  // read only after the answer arrived
  proxy.Routes().Get(".*", [&target](const httplib::Request& req, httplib::Response& res) {
    target = req.target;
    res.set_content(kProbePage, "text/html");
  });
  proxy.Start();
  testing::ScopedEnvironment httpProxy("http_proxy", proxy.Url(""));
  const std::string url =
      "http://127.0.0.1:" + std::to_string(testing::RefusingLoopbackPort()) + "/neton.htm";
  auto browser = NewBrowser();
  browser->Navigate2(url);
  ASSERT_TRUE(Pump(5000, [&] { return Ended(); }));
  EXPECT_EQ(events_.back(), "complete " + url);
  EXPECT_EQ(target, url);
}

TEST_F(CurlProbeBrowserTest, ANavigationThatCannotStartRaises) {
  for (const char* address : {"127.0.0.1/update/neton.htm", "file:///etc/hostname", "http://"}) {
    auto browser = NewBrowser();
    EXPECT_TRUE(testing::CatchAutomationError([&] { browser->Navigate2(address); })) << address;
    EXPECT_TRUE(testing::CatchAutomationError([&] { browser->Navigate(address); })) << address;
    EXPECT_FALSE(browser->Busy());
  }
}

// ---- stopping, quitting and destroying ----------------------------------------------------------

// Stop, Quit or the browser's end during a navigation: nothing arrives after it.
TEST_F(CurlProbeBrowserTest, StopQuitAndDestructionEndARunningNavigationWithoutEvents) {
  TestServer server;
  StartServer(server);
  for (const std::string how : {"stop", "quit", "destroy"}) {
    SCOPED_TRACE(how);
    auto browser = NewBrowser();
    browser->Navigate2(server.Url("/stall"));
    Pump(5, [] { return false; });
    EXPECT_TRUE(browser->Busy());
    const std::size_t seen = events_.size();
    if (how == "stop") browser->Stop();
    if (how == "quit") browser->Quit();
    if (how == "quit")
      EXPECT_TRUE(
          testing::CatchAutomationError([&] { browser->Navigate2(server.Url("/old.htm")); }));
    if (how == "destroy") browser.reset();
    EXPECT_TRUE(browser == nullptr || !browser->Busy());
    Pump(20, [] { return false; });
    EXPECT_EQ(events_.size(), seen);
  }
}

// Destroys the browser from inside its completion; nothing after it may arrive.
TEST_F(CurlProbeBrowserTest, DestroyingTheBrowserInsideAHandlerIsSafe) {
  TestServer server;
  StartServer(server);
  std::unique_ptr<ProbeBrowser> browser = MakeCurlProbeBrowser();
  std::vector<std::string> order;
  // The handler owns its name and reads it after the browser is gone, so a handler destroyed
  // while it runs is caught by the address sanitizer.
  const auto handler = [&](std::string name) {
    return [&, name = std::move(name)](auto&&...) {
      if (name == "complete") browser.reset();
      order.push_back(name);
    };
  };
  ProbeBrowserEvents events;
  events.ProgressChange = handler("progress");
  events.NavigateComplete2 = handler("complete");
  events.NavigateError = handler("error");
  browser->SetEvents(events);
  browser->Navigate2(server.Url("/update/neton.htm"));
  ASSERT_TRUE(Pump(5000, [&] { return browser == nullptr; }));
  Pump(20, [] { return false; });
  EXPECT_EQ(order.back(), "complete");
}

}  // namespace
}  // namespace orvulink::platform
