// The libcurl probe browser against an in-process server on loopback, driven by the pump.
#include <gtest/gtest.h>

#include "fake_probe_browser.hpp"
#include "platform/curl_probe_browser.hpp"
#include "platform/runtime_error.hpp"
#include "test_server.hpp"
#include "test_support.hpp"

#include <orvulink/platform.hpp>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace orvulink::platform {
namespace {

using namespace std::chrono_literals;
using testing::TestServer;

const std::string kProbePage =
    "<html><head><title>probe</title></head>\r\n<BODY class=\"x\">\r\n<p>98</p>\r\n</body></html>";

// The events of one browser in the order the pump delivered them.
struct EventLog {
  struct Progress {
    std::int32_t progress;
    std::int32_t progressMax;
  };
  std::vector<std::string> order;  // "progress", "complete", "error"
  std::vector<Progress> progress;
  std::vector<std::string> completed;
  std::vector<std::pair<std::string, std::int32_t>> errors;

  bool Ended() const { return !completed.empty() || !errors.empty(); }

  ProbeBrowserEvents Handlers() {
    ProbeBrowserEvents events;
    events.ProgressChange = [this](std::int32_t value, std::int32_t max) {
      order.push_back("progress");
      progress.push_back({value, max});
    };
    events.NavigateComplete2 = [this](const BStr& url) {
      order.push_back("complete");
      completed.push_back(url.utf8());
    };
    events.NavigateError = [this](const BStr& url, std::int32_t status) {
      order.push_back("error");
      errors.emplace_back(url.utf8(), status);
    };
    return events;
  }
};

// Pumps this thread's messages until `done` holds; gives up after a bounded number of rounds.
template <class Done>
bool PumpUntil(Done done) {
  for (int round = 0; round < 5000 && !done(); ++round) {
    PumpMessages();
    std::this_thread::sleep_for(2ms);
  }
  return done();
}

void PumpRounds(int rounds) {
  for (int round = 0; round < rounds; ++round) {
    PumpMessages();
    std::this_thread::sleep_for(2ms);
  }
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
    server.Routes().Get(
        R"(/status/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
          res.status = std::stoi(req.matches[1]);
          res.set_content("<html><body>failed " + std::string(req.matches[1]) + "</body></html>",
                          "text/html");
        });
    server.Routes().Get("/stall", [&server](const httplib::Request&, httplib::Response& res) {
      server.StallUntilReleased();
      res.set_content(kProbePage, "text/html");
    });
    server.Start();
  }

  std::unique_ptr<ProbeBrowser> NewBrowser(std::chrono::milliseconds timeout = 10s) {
    auto browser = MakeCurlProbeBrowser(timeout);
    browser->SetEvents(log_.Handlers());
    return browser;
  }

  testing::CleanNetworkEnvironment environment_;
  EventLog log_;
};

// Events arrive only through the pump, progress first; the document follows the navigation.
TEST_F(CurlProbeBrowserTest, APageArrivesWithProgressBeforeCompletion) {
  TestServer server;
  StartServer(server);
  auto browser = NewBrowser();
  EXPECT_EQ(browser->DocumentReadyState().utf8(), "uninitialized");
  EXPECT_EQ(browser->DocumentBodyText().utf8(), "");
  const auto error = testing::CatchAutomationError([&] { browser->SetDocumentBodyText(""); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), kErrObjectNotSet);
  const std::string url = server.Url("/update/neton.htm");
  browser->Navigate2(url);
  EXPECT_TRUE(browser->Busy());
  EXPECT_EQ(browser->DocumentReadyState().utf8(), "loading");
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(log_.order.empty());
  ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
  ASSERT_GE(log_.order.size(), 2u);
  EXPECT_EQ(log_.order.front(), "progress");
  EXPECT_EQ(log_.order.back(), "complete");
  EXPECT_EQ(log_.completed, std::vector<std::string>{url});
  EXPECT_TRUE(log_.errors.empty());
  const auto size = static_cast<std::int32_t>(kProbePage.size());
  EXPECT_EQ(log_.progress.back().progress, size);
  EXPECT_EQ(log_.progress.back().progressMax, size);
  EXPECT_FALSE(browser->Busy());
  EXPECT_EQ(browser->DocumentReadyState().utf8(), "complete");
  EXPECT_EQ(browser->DocumentBodyText().utf8(), "\r\n98\r\n");
  browser->SetDocumentBodyText("");
  EXPECT_EQ(browser->DocumentBodyText().utf8(), "");
}

// Through Navigate as well: a redirect, a scheme in any case, HTTPS trusted through the CA file.
TEST_F(CurlProbeBrowserTest, RedirectsAnySchemeCaseAndTrustedHttpsArrive) {
  TestServer server;
  StartServer(server);
  TestServer secure(TestServer::Scheme::kHttps);
  StartServer(secure);
  testing::ScopedEnvironment ca("ORVULINK_CA_FILE", testing::TestTlsFiles().certificate);
  for (const std::string& url : {server.Url("/old.htm"), server.Url("/update/neton.htm", "HtTp"),
                                 secure.Url("/update/neton.htm", "Https")}) {
    SCOPED_TRACE(url);
    log_ = EventLog();
    auto browser = NewBrowser();
    browser->Navigate(url);
    ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
    EXPECT_EQ(log_.completed.size(), 1u);
    EXPECT_TRUE(log_.errors.empty());
    EXPECT_EQ(browser->DocumentBodyText().utf8(), "\r\n98\r\n");
  }
}

TEST_F(CurlProbeBrowserTest, AnHttpErrorIsANavigationErrorWithItsStatus) {
  TestServer server;
  StartServer(server);
  for (const int status : {404, 407}) {
    SCOPED_TRACE(status);
    log_ = EventLog();
    auto browser = NewBrowser();
    const std::string url = server.Url("/status/" + std::to_string(status));
    browser->Navigate2(url);
    ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
    ASSERT_EQ(log_.errors.size(), 1u);
    EXPECT_EQ(log_.errors[0], std::make_pair(url, status));
    EXPECT_TRUE(log_.completed.empty());
    EXPECT_EQ(browser->DocumentBodyText().utf8(), "failed " + std::to_string(status));
    EXPECT_EQ(browser->DocumentReadyState().utf8(), "complete");
  }
}

TEST_F(CurlProbeBrowserTest, TransportFailuresAreNavigationErrorsWithTheirStatus) {
  TestServer server;
  StartServer(server);
  TestServer untrusted(TestServer::Scheme::kHttps);
  StartServer(untrusted);
  const struct {
    std::string url;
    std::chrono::milliseconds timeout;
    std::int32_t status;
  } cases[] = {
      {"http://127.0.0.1:" + std::to_string(testing::RefusingLoopbackPort()) + "/neton.htm", 10s,
       kInetResourceNotFound},
      {server.Url("/stall"), 300ms, kInetConnectionTimeout},
      {untrusted.Url("/update/neton.htm", "Https"), 10s, kInetSecurityProblem},
  };
  EXPECT_LT(kInetResourceNotFound, 0);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    log_ = EventLog();
    auto browser = NewBrowser(c.timeout);
    browser->Navigate2(c.url);
    ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
    ASSERT_EQ(log_.errors.size(), 1u);
    EXPECT_EQ(log_.errors[0], std::make_pair(c.url, c.status));
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
  ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
  EXPECT_EQ(log_.completed, std::vector<std::string>{url});
  EXPECT_EQ(target, url);
}

TEST_F(CurlProbeBrowserTest, ANavigationThatCannotStartRaises) {
  for (const char* address : {"127.0.0.1/update/neton.htm", "file:///etc/hostname", "http://"}) {
    SCOPED_TRACE(address);
    auto browser = NewBrowser();
    for (const bool first : {true, false}) {
      const auto error = testing::CatchAutomationError([&] {
        if (first)
          browser->Navigate2(address);
        else
          browser->Navigate(address);
      });
      ASSERT_TRUE(error);
      EXPECT_FALSE(error->Description().empty());
    }
    EXPECT_FALSE(browser->Busy());
    EXPECT_EQ(browser->DocumentReadyState().utf8(), "uninitialized");
  }
}

// ---- stopping, quitting and destroying ----------------------------------------------------------

TEST_F(CurlProbeBrowserTest, StopEndsARunningNavigationWithoutEvents) {
  TestServer server;
  StartServer(server);
  auto browser = NewBrowser();
  browser->Navigate2(server.Url("/stall"));
  PumpRounds(5);
  EXPECT_TRUE(browser->Busy());
  browser->Stop();
  EXPECT_FALSE(browser->Busy());
  EXPECT_EQ(browser->DocumentReadyState().utf8(), "uninitialized");
  PumpRounds(20);
  EXPECT_TRUE(log_.order.empty());
}

TEST_F(CurlProbeBrowserTest, AfterQuitNothingNavigatesAndNothingBreaks) {
  TestServer server;
  StartServer(server);
  auto browser = NewBrowser();
  browser->Navigate2(server.Url("/update/neton.htm"));
  ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
  browser->Quit();
  EXPECT_FALSE(browser->Busy());
  EXPECT_EQ(browser->DocumentReadyState().utf8(), "uninitialized");
  EXPECT_EQ(browser->DocumentBodyText().utf8(), "");
  EXPECT_TRUE(
      testing::CatchAutomationError([&] { browser->Navigate2(server.Url("/update/neton.htm")); }));
  browser->Stop();
  browser->Quit();
  PumpRounds(5);
}

// Destroys the browser from inside each event in turn; nothing after it may arrive.
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
  ASSERT_TRUE(PumpUntil([&] { return browser == nullptr; }));
  PumpRounds(20);
  EXPECT_EQ(order.back(), "complete");
}

TEST_F(CurlProbeBrowserTest, DestroyingTheBrowserDuringANavigationIsSafe) {
  TestServer server;
  StartServer(server);
  auto browser = NewBrowser();
  browser->Navigate2(server.Url("/stall"));
  PumpRounds(1);
  const std::size_t seen = log_.order.size();
  browser.reset();
  PumpRounds(20);
  EXPECT_EQ(log_.order.size(), seen);
}

// ---- the document's body text ----------------------------------------------

TEST(PageBodyText, TakesTheTextOfTheBodyWithoutTags) {
  const std::pair<std::u16string, std::u16string> pages[] = {
      {u"<html><body>98</body></html>", u"98"},
      {u"<HTML><BODY bgcolor=white>\r\n<b>0</b>1\r\n</BODY>", u"\r\n01\r\n"},
      {u"<head><title>t</title></head>text <i>only</i>", u"ttext only"},
      {u"<bodyguard>x</bodyguard><body>y</body>", u"y"},
      {u"<body", u""}};
  for (const auto& [page, text] : pages)
    EXPECT_EQ(PageBodyText(page), text);
}

}  // namespace
}  // namespace orvulink::platform
