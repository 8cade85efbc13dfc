// The libcurl HTTP client and probe browser against an in-process HTTP server on loopback. HTTPS,
// certificates and proxies are the integration tests', against the real simulator.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include <orvulink/platform.hpp>

#include "platform/posix/curl_global.hpp"
#include "platform/posix/curl_http_client.hpp"
#include "platform/posix/curl_probe_browser.hpp"
#include "platform/runtime_error.hpp"
#include "test_server.hpp"
#include "test_support.hpp"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace orvulink::platform {
namespace {

using namespace std::chrono_literals;

const std::string kProbePage = "<html><BODY class=\"x\">\r\n<p>98</p>\r\n</body></html>";

class CurlTest : public ::testing::Test {
 protected:
  CurlTest() {
    auto& routes = server_.Routes();
    routes.Post("/gw", [this](const httplib::Request& request, httplib::Response& res) {
      const std::lock_guard lock(mutex_);
      seen_ = {request.body, request.get_header_value("Content-Type")};
      res.set_content("answer", "text/html");
    });
    routes.Post("/utf8", [](const httplib::Request&, httplib::Response& res) {
      res.status = 401;
      res.set_content("\xC3\xA9", "text/html; Charset=\"UTF-8\"");
    });
    routes.Post("/drop", [](const httplib::Request&, httplib::Response& response) {
      response.set_content_provider(100, "text/plain",
                                    [](std::size_t, std::size_t, httplib::DataSink& sink) {
                                      sink.write("01 half", 7);
                                      return false;  // the rest never comes: the connection closes
                                    });
    });
    const auto stall = [this](const httplib::Request&, httplib::Response& res) {
      server_.StallUntilReleased();
      res.set_content(kProbePage, "text/html");
    };
    routes.Post("/stall", stall);
    routes.Get("/stall", stall);
    routes.Get("/update/neton.htm", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kProbePage, "text/html");
    });
    routes.Get("/old.htm", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("/update/neton.htm");
    });
    routes.Get("/407", [](const httplib::Request&, httplib::Response& res) {
      res.status = 407;
      res.set_content("<html><body>failed</body></html>", "text/html");
    });
    // As a proxy: absolute addresses.
    routes.Post(R"(http://.*)", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("forwarded", "text/html");
    });
    routes.Get(R"(http://.*)", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kProbePage, "text/html");
    });
    routes.set_expect_100_continue_handler([this](const auto&, auto&) {
      ++continueRequests_;
      return 100;
    });
    server_.Start();
  }

  // A client prepared the way the exchange prepares one.
  static std::unique_ptr<HttpClient> ClientFor(const std::string& url,
                                               std::chrono::milliseconds timeout = 10s) {
    auto client = MakeCurlHttpClient();
    client->SetProxy("");
    client->SetAddress(url);
    client->Reset();
    client->SetTimeout(timeout);
    return client;
  }

  // Records the events in the order the pump delivered them: "progress v/max", "complete url",
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

  // Pumps this thread's messages `rounds` times, or until `done` holds.
  template <class Done>
  static bool Pump(int rounds, Done done) {
    for (int round = 0; round < rounds && !done(); ++round) {
      PumpMessages();
      std::this_thread::sleep_for(2ms);
    }
    return done();
  }

  testing::CleanNetworkEnvironment environment_;
  testing::TestServer server_;
  std::mutex mutex_;
  std::pair<std::string, std::string> seen_;  // the body and content type of the last POST
  std::vector<std::string> events_;
  std::atomic<int> continueRequests_{0};
};

// Form data in Windows-1252, byte for byte; a large body goes without waiting for "100 Continue".
// The answer is decoded by its charset (else as Windows-1252, as the simulator's always are).
TEST_F(CurlTest, PostsTheBodyAsWindows1252FormDataByteForByte) {
  auto client = ClientFor(server_.Url("/gw"));
  EXPECT_EQ(client->Send(u"a=1\tb\r\n%41%25 \u00e9\u00ff\u20ac").utf8(), "answer");
  {
    const std::lock_guard lock(mutex_);
    EXPECT_EQ(seen_.first, "a=1\tb\r\n%41%25 \xE9\xFF\x80");
    EXPECT_EQ(seen_.second, "application/x-www-form-urlencoded");
  }
  // Over a mebibyte, where libcurl asks for "100 Continue" unless told not to. (The server
  // may refuse a form this large; only the request's headers matter here.)
  client->Send(std::u16string((std::size_t{1} << 20) + 1, u'x'));
  EXPECT_NE(client->StatusCode(), 0);
  EXPECT_EQ(continueRequests_, 0);
  client->SetAddress(server_.Url("/utf8", "HtTp"));  // the scheme in any case
  EXPECT_EQ(client->Send("data").str(), u"é");
  EXPECT_EQ(client->StatusText().utf8() + std::to_string(client->StatusCode()), "Unauthorized401");
  client->Reset();  // forgets the last status, keeps the address
  EXPECT_EQ(client->StatusText().utf8() + std::to_string(client->StatusCode()), "0");
  EXPECT_EQ(client->Send("again").str(), u"é");
}

// The send fails without an answer: the error's number and the status code are 12000 + the
// CURLcode, there is no status text, and the next send on the same client works again.
TEST_F(CurlTest, TransportFailuresRaiseTheirNumberWithoutAStatus) {
  const struct {
    std::string url;
    std::chrono::milliseconds timeout;
    CURLcode expected;
  } cases[] = {
      {"http://127.0.0.1:" + std::to_string(testing::RefusingLoopbackPort()), 10s,
       CURLE_COULDNT_CONNECT},
      {server_.Url("/stall"), 300ms, CURLE_OPERATION_TIMEDOUT},
      {server_.Url("/drop"), 10s, CURLE_PARTIAL_FILE},
      {server_.Url("/gw", "gopher"), 10s, CURLE_UNSUPPORTED_PROTOCOL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    auto client = ClientFor(c.url, c.timeout);
    const auto error = testing::CatchAutomationError([&] { client->Send("data"); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), CurlErrorNumber(c.expected)) << error->Description().utf8();
    EXPECT_EQ(error->Description().utf8().rfind("HTTP request failed: ", 0), 0u);
    EXPECT_EQ(client->StatusText().utf8(), "");
    EXPECT_EQ(client->StatusCode(), CurlErrorNumber(c.expected));
    client->SetAddress(server_.Url("/gw"));
    client->SetTimeout(10s);
    EXPECT_EQ(client->Send("data").utf8(), "answer");
  }
}

// A proxy named by hand serves even the hosts no_proxy excludes; the probe follows the system's
// proxy settings. The gateway's port is closed: only the proxy answers.
TEST_F(CurlTest, ProxiesNamedOrFromTheSystem) {
  const std::string gateway =
      "http://127.0.0.1:" + std::to_string(testing::RefusingLoopbackPort()) + "/gw";
  testing::ScopedEnvironment noProxy("no_proxy", "127.0.0.1,localhost");
  auto client = ClientFor(gateway);
  client->SetProxy(server_.Url(""));
  EXPECT_EQ(client->Send("data").utf8(), "forwarded");
  noProxy.Set(std::nullopt);
  testing::ScopedEnvironment httpProxy("http_proxy", server_.Url(""));
  auto browser = NewBrowser();
  browser->Navigate2(gateway);
  ASSERT_TRUE(Pump(5000, [&] { return Ended(); }));
  EXPECT_EQ(events_.back(), "complete " + gateway);
}

// Probe events arrive only through the pump, progress first; each navigation ends in one event,
// with the status of its kind.
TEST_F(CurlTest, EachNavigationEndsInOneEventAfterItsProgress) {
  auto browser = NewBrowser();
  const std::string url = server_.Url("/update/neton.htm");
  browser->Navigate2(url);
  EXPECT_TRUE(browser->Busy());
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(events_.empty());
  ASSERT_TRUE(Pump(5000, [&] { return Ended(); }));
  const std::string size = std::to_string(kProbePage.size());
  ASSERT_GE(events_.size(), 2u);
  EXPECT_EQ(events_[events_.size() - 2], "progress " + size + "/" + size);
  EXPECT_EQ(events_.back(), "complete " + url);
  EXPECT_FALSE(browser->Busy());
  const struct {
    std::string url;
    std::chrono::milliseconds timeout;
    std::int32_t status;  // 0: complete
  } cases[] = {
      {server_.Url("/old.htm", "HtTp"), 10s, 0},
      {server_.Url("/407"), 10s, 407},
      {"http://127.0.0.1:" + std::to_string(testing::RefusingLoopbackPort()) + "/neton.htm", 10s,
       kInetResourceNotFound},
      {server_.Url("/stall"), 300ms, kInetConnectionTimeout},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    browser = NewBrowser(c.timeout);
    browser->Navigate(c.url);
    ASSERT_TRUE(Pump(5000, [&] { return Ended(); }));
    EXPECT_EQ(events_.back(), c.status == 0 ? "complete " + c.url
                                            : "error " + c.url + " " + std::to_string(c.status));
  }
  EXPECT_TRUE(testing::CatchAutomationError([&] { browser->Navigate2("file:///etc/hostname"); }));
}

// Stop, Quit or the browser's end during a navigation: nothing arrives after it.
TEST_F(CurlTest, StopQuitAndDestructionEndARunningNavigationWithoutEvents) {
  for (const std::string how : {"stop", "quit", "destroy"}) {
    SCOPED_TRACE(how);
    auto browser = NewBrowser();
    browser->Navigate2(server_.Url("/stall"));
    Pump(5, [] { return false; });
    EXPECT_TRUE(browser->Busy());
    const std::size_t seen = events_.size();
    if (how == "stop") browser->Stop();
    if (how == "quit") browser->Quit();
    if (how == "quit") {
      EXPECT_TRUE(
          testing::CatchAutomationError([&] { browser->Navigate2(server_.Url("/old.htm")); }));
    }
    if (how == "destroy") browser.reset();
    EXPECT_TRUE(browser == nullptr || !browser->Busy());
    Pump(20, [] { return false; });
    EXPECT_EQ(events_.size(), seen);
  }
}

// Destroys the browser from inside its completion; nothing after it may arrive.
TEST_F(CurlTest, DestroyingTheBrowserInsideAHandlerIsSafe) {
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
  browser->Navigate2(server_.Url("/update/neton.htm"));
  ASSERT_TRUE(Pump(5000, [&] { return browser == nullptr; }));
  Pump(20, [] { return false; });
  EXPECT_EQ(order.back(), "complete");
}

}  // namespace
}  // namespace orvulink::platform
