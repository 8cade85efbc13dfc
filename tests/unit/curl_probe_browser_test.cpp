// The libcurl probe browser against an in-process server on loopback, driven by the pump.
#include <gtest/gtest.h>

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

TEST_F(CurlProbeBrowserTest, APageArrivesWithProgressBeforeCompletion) {
  TestServer server;
  StartServer(server);
  auto browser = NewBrowser();
  const std::string url = server.Url("/update/neton.htm");
  browser->Navigate2(url);
  EXPECT_TRUE(browser->Busy());
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
}

TEST_F(CurlProbeBrowserTest, EventsArriveOnlyThroughThePump) {
  TestServer server;
  StartServer(server);
  auto browser = NewBrowser();
  browser->Navigate(server.Url("/update/neton.htm"));
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(log_.order.empty());
  EXPECT_TRUE(browser->Busy());
  EXPECT_TRUE(PumpUntil([&] { return log_.Ended(); }));
}

TEST_F(CurlProbeBrowserTest, TheDocumentFollowsTheNavigation) {
  TestServer server;
  StartServer(server);
  auto browser = NewBrowser();
  EXPECT_EQ(browser->DocumentReadyState().utf8(), "uninitialized");
  EXPECT_EQ(browser->DocumentBodyText().utf8(), "");
  browser->Navigate2(server.Url("/update/neton.htm"));
  EXPECT_EQ(browser->DocumentReadyState().utf8(), "loading");
  ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
  EXPECT_EQ(browser->DocumentReadyState().utf8(), "complete");
  EXPECT_EQ(browser->DocumentBodyText().utf8(), "\r\n98\r\n");
  browser->SetDocumentBodyText("");
  EXPECT_EQ(browser->DocumentBodyText().utf8(), "");
}

TEST_F(CurlProbeBrowserTest, WithoutADocumentItsBodyCannotBeSet) {
  auto browser = NewBrowser();
  const auto error = testing::CatchAutomationError([&] { browser->SetDocumentBodyText(""); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), kErrObjectNotSet);
}

TEST_F(CurlProbeBrowserTest, RedirectsAreFollowed) {
  TestServer server;
  StartServer(server);
  auto browser = NewBrowser();
  browser->Navigate2(server.Url("/old.htm"));
  ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
  EXPECT_EQ(log_.completed.size(), 1u);
  EXPECT_EQ(browser->DocumentBodyText().utf8(), "\r\n98\r\n");
}

TEST_F(CurlProbeBrowserTest, TheSchemeMayBeWrittenInAnyCase) {
  TestServer server;
  StartServer(server);
  auto browser = NewBrowser();
  browser->Navigate2(server.Url("/update/neton.htm", "HtTp"));
  ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
  EXPECT_EQ(log_.completed.size(), 1u);
}

class CurlProbeBrowserStatusTest : public CurlProbeBrowserTest,
                                   public ::testing::WithParamInterface<int> {};

TEST_P(CurlProbeBrowserStatusTest, AnHttpErrorIsANavigationErrorWithItsStatus) {
  TestServer server;
  StartServer(server);
  auto browser = NewBrowser();
  const std::string url = server.Url("/status/" + std::to_string(GetParam()));
  browser->Navigate2(url);
  ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
  ASSERT_EQ(log_.errors.size(), 1u);
  EXPECT_EQ(log_.errors[0], std::make_pair(url, GetParam()));
  EXPECT_TRUE(log_.completed.empty());
  EXPECT_EQ(browser->DocumentBodyText().utf8(), "failed " + std::to_string(GetParam()));
  EXPECT_EQ(browser->DocumentReadyState().utf8(), "complete");
}

INSTANTIATE_TEST_SUITE_P(Statuses, CurlProbeBrowserStatusTest,
                         ::testing::Values(400, 403, 404, 407, 500, 503));

TEST_F(CurlProbeBrowserTest, ARefusedConnectionIsResourceNotFound) {
  auto browser = NewBrowser();
  const std::string url =
      "http://127.0.0.1:" + std::to_string(testing::RefusingLoopbackPort()) + "/neton.htm";
  browser->Navigate2(url);
  ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
  ASSERT_EQ(log_.errors.size(), 1u);
  EXPECT_EQ(log_.errors[0], std::make_pair(url, kInetResourceNotFound));
  EXPECT_LT(kInetResourceNotFound, 0);
}

TEST_F(CurlProbeBrowserTest, AStalledAnswerTimesOut) {
  TestServer server;
  StartServer(server);
  auto browser = NewBrowser(300ms);
  browser->Navigate2(server.Url("/stall"));
  ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
  ASSERT_EQ(log_.errors.size(), 1u);
  EXPECT_EQ(log_.errors[0].second, kInetConnectionTimeout);
}

TEST_F(CurlProbeBrowserTest, AnUntrustedCertificateIsASecurityProblem) {
  TestServer server(TestServer::Scheme::kHttps);
  StartServer(server);
  auto browser = NewBrowser();
  browser->Navigate2(server.Url("/update/neton.htm", "Https"));
  ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
  ASSERT_EQ(log_.errors.size(), 1u);
  EXPECT_EQ(log_.errors[0].second, kInetSecurityProblem);
}

TEST_F(CurlProbeBrowserTest, HttpsWorksWithTheCertificateAuthorityOfTheCaFile) {
  TestServer server(TestServer::Scheme::kHttps);
  StartServer(server);
  testing::ScopedEnvironment ca("ORVULINK_CA_FILE", testing::TestTlsFiles().certificate);
  auto browser = NewBrowser();
  browser->Navigate2(server.Url("/update/neton.htm", "Https"));
  ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
  EXPECT_EQ(log_.completed.size(), 1u);
  EXPECT_TRUE(log_.errors.empty());
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

class CurlProbeBrowserAddressTest : public CurlProbeBrowserTest,
                                    public ::testing::WithParamInterface<const char*> {};

TEST_P(CurlProbeBrowserAddressTest, ANavigationThatCannotStartRaises) {
  auto browser = NewBrowser();
  for (const bool first : {true, false}) {
    const auto error = testing::CatchAutomationError([&] {
      if (first)
        browser->Navigate2(GetParam());
      else
        browser->Navigate(GetParam());
    });
    ASSERT_TRUE(error);
    EXPECT_FALSE(error->Description().empty());
  }
  EXPECT_FALSE(browser->Busy());
  EXPECT_EQ(browser->DocumentReadyState().utf8(), "uninitialized");
}

INSTANTIATE_TEST_SUITE_P(Addresses, CurlProbeBrowserAddressTest,
                         ::testing::Values("", "127.0.0.1/update/neton.htm",
                                           "ftp://127.0.0.1/update/neton.htm",
                                           "file:///etc/hostname", "http://", "http://[::1/x"));

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

TEST_F(CurlProbeBrowserTest, StopInsideAHandlerDropsTheEventsStillQueued) {
  TestServer server;
  StartServer(server);
  auto browser = NewBrowser();
  auto events = log_.Handlers();
  events.ProgressChange = [&](std::int32_t, std::int32_t) {
    log_.order.push_back("progress");
    browser->Stop();
  };
  browser->SetEvents(events);
  browser->Navigate2(server.Url("/update/neton.htm"));
  ASSERT_TRUE(PumpUntil([&] { return !log_.order.empty(); }));
  PumpRounds(20);
  EXPECT_EQ(log_.order, std::vector<std::string>{"progress"});
}

TEST_F(CurlProbeBrowserTest, ANewNavigationReplacesTheRunningOne) {
  TestServer server;
  StartServer(server);
  auto browser = NewBrowser();
  browser->Navigate2(server.Url("/stall"));
  PumpRounds(5);
  const std::string url = server.Url("/update/neton.htm");
  browser->Navigate2(url);
  ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
  PumpRounds(20);
  EXPECT_EQ(log_.completed, std::vector<std::string>{url});
  EXPECT_TRUE(log_.errors.empty());
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

// Destroys the browser from inside the named event; nothing after it may arrive.
class CurlProbeBrowserDestroyTest : public CurlProbeBrowserTest,
                                    public ::testing::WithParamInterface<const char*> {};

TEST_P(CurlProbeBrowserDestroyTest, DestroyingTheBrowserInsideAHandlerIsSafe) {
  TestServer server;
  StartServer(server);
  std::unique_ptr<ProbeBrowser> browser = MakeCurlProbeBrowser();
  const std::string destroyOn = GetParam();
  std::vector<std::string> order;
  // Each handler owns its name and reads it after the browser is gone, so a handler destroyed
  // while it runs is caught by the address sanitizer.
  const auto handler = [&](std::string name) {
    return [&, name = std::move(name)](auto&&...) {
      if (name == destroyOn) browser.reset();
      order.push_back(name);
    };
  };
  ProbeBrowserEvents events;
  events.ProgressChange = handler("progress");
  events.NavigateComplete2 = handler("complete");
  events.NavigateError = handler("error");
  browser->SetEvents(events);
  browser->Navigate2(server.Url(destroyOn == "error" ? "/status/404" : "/update/neton.htm"));
  ASSERT_TRUE(PumpUntil([&] { return browser == nullptr; }));
  PumpRounds(20);
  EXPECT_EQ(order.back(), destroyOn);
}

INSTANTIATE_TEST_SUITE_P(Events, CurlProbeBrowserDestroyTest,
                         ::testing::Values("progress", "complete", "error"));

TEST_F(CurlProbeBrowserTest, DestroyingTheBrowserDuringANavigationIsSafe) {
  TestServer server;
  StartServer(server);
  for (const int roundsFirst : {0, 1, 3}) {
    for (const char* path : {"/stall", "/update/neton.htm"}) {
      auto browser = NewBrowser();
      browser->Navigate2(server.Url(path));
      PumpRounds(roundsFirst);
      const std::size_t seen = log_.order.size();
      browser.reset();
      PumpRounds(20);
      EXPECT_EQ(log_.order.size(), seen) << path << " after " << roundsFirst << " rounds";
    }
  }
}

// ---- the document's body text and the factory seam ----------------------------------------------

struct BodyTextCase {
  std::u16string page;
  std::u16string text;
};

class PageBodyTextTest : public ::testing::TestWithParam<BodyTextCase> {};

TEST_P(PageBodyTextTest, TakesTheTextOfTheBodyWithoutTags) {
  EXPECT_EQ(PageBodyText(GetParam().page), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, PageBodyTextTest,
    ::testing::Values(BodyTextCase{u"<html><body>98</body></html>", u"98"},
                      BodyTextCase{u"<HTML><BODY bgcolor=white>\r\n<b>0</b>1\r\n</BODY>",
                                   u"\r\n01\r\n"},
                      BodyTextCase{u"<head><title>t</title></head>text <i>only</i>", u"ttext only"},
                      BodyTextCase{u"<bodyguard>x</bodyguard><body>y</body>", u"y"},
                      BodyTextCase{u"<body>open to the end", u"open to the end"},
                      BodyTextCase{u"<body>a</body><body>b</body>", u"a"},
                      BodyTextCase{u"1 < 2 and 3 > 2", u"1  2"}, BodyTextCase{u"", u""},
                      BodyTextCase{u"<body", u""}));

struct IdleProbeBrowser : ProbeBrowser {
  void SetEvents(ProbeBrowserEvents) override {}
  void SetAddressBar(bool) override {}
  void SetStatusBar(bool) override {}
  void SetVisible(bool) override {}
  bool Busy() override { return false; }
  void Navigate2(const BStr&) override {}
  void Navigate(const BStr&) override {}
  void Stop() override {}
  void Quit() override {}
  void SetDocumentBodyText(const BStr&) override {}
  BStr DocumentBodyText() override { return "idle"; }
  BStr DocumentReadyState() override { return "complete"; }
};

class ScopedProbeBrowserFactory {
 public:
  explicit ScopedProbeBrowserFactory(ProbeBrowserFactory factory)
      : previous_(SetProbeBrowserFactory(std::move(factory))) {}
  ~ScopedProbeBrowserFactory() { SetProbeBrowserFactory(previous_); }
  ScopedProbeBrowserFactory(const ScopedProbeBrowserFactory&) = delete;
  ScopedProbeBrowserFactory& operator=(const ScopedProbeBrowserFactory&) = delete;

 private:
  ProbeBrowserFactory previous_;
};

TEST_F(CurlProbeBrowserTest, AFactoryReplacesTheBrowserAndNullRestoresLibcurl) {
  TestServer server;
  StartServer(server);
  const ScopedProbeBrowserFactory scoped([] { return std::make_unique<IdleProbeBrowser>(); });
  EXPECT_EQ(MakeProbeBrowser()->DocumentBodyText().utf8(), "idle");
  const ProbeBrowserFactory replaced = SetProbeBrowserFactory(nullptr);
  ASSERT_TRUE(replaced);
  auto browser = MakeProbeBrowser();
  browser->SetEvents(log_.Handlers());
  browser->Navigate2(server.Url("/update/neton.htm"));
  ASSERT_TRUE(PumpUntil([&] { return log_.Ended(); }));
  EXPECT_EQ(log_.completed.size(), 1u);
  SetProbeBrowserFactory(replaced);
  EXPECT_EQ(MakeProbeBrowser()->DocumentBodyText().utf8(), "idle");
}

TEST(ProbeBrowserFactory, AFactoryThatGivesNoBrowserRaises) {
  const ScopedProbeBrowserFactory scoped([] { return std::unique_ptr<ProbeBrowser>(); });
  const auto error = testing::CatchAutomationError([] { MakeProbeBrowser(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), 429);
}

}  // namespace
}  // namespace orvulink::platform
