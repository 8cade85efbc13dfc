// The libcurl HTTP client against an in-process server on loopback.
#include <curl/curl.h>
#include <gtest/gtest.h>

#include "platform/curl_global.hpp"
#include "platform/curl_http_client.hpp"
#include "platform/http_status.hpp"
#include "test_server.hpp"
#include "test_support.hpp"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <vector>

namespace orvulink::platform {
namespace {

using namespace std::chrono_literals;
using testing::TestServer;

// What a server saw of one request.
struct SeenRequest {
  std::string target, body, contentType, proxyAuthorization;
};

class CurlHttpClientTest : public ::testing::Test {
 protected:
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

  // A server that answers every POST with `status`, `body` and `contentType`, logging it.
  void ServeEveryPost(TestServer& server, int status, std::string body,
                      std::string contentType = "text/html") {
    server.Routes().Post(".*", [=, this](const httplib::Request& request, httplib::Response& res) {
      const std::lock_guard lock(mutex_);
      seen_.push_back({request.target, request.body, request.get_header_value("Content-Type"),
                       request.get_header_value("Proxy-Authorization")});
      res.status = status;
      res.set_content(body, contentType.c_str());
    });
    server.Start();
  }
  std::vector<SeenRequest> Seen() {
    const std::lock_guard lock(mutex_);
    return seen_;
  }

  testing::CleanNetworkEnvironment environment_;
  std::mutex mutex_;
  std::vector<SeenRequest> seen_;
};

// Form data in Windows-1252, byte for byte; a large body goes without waiting for "100 Continue".
TEST_F(CurlHttpClientTest, PostsTheBodyAsWindows1252FormDataByteForByte) {
  TestServer server;
  std::atomic<int> continueRequests{0};
  server.Routes().set_expect_100_continue_handler([&](const auto&, auto&) {
    ++continueRequests;
    return 100;
  });
  ServeEveryPost(server, 200, "answer");
  auto client = ClientFor(server.Url("/cgi/gw.php"));
  EXPECT_EQ(client->Send(u"a=1\tb\r\n%41%25 \u00e9\u00ff\u20ac").utf8(), "answer");
  ASSERT_EQ(Seen().size(), 1u);
  EXPECT_EQ(Seen()[0].target, "/cgi/gw.php");
  EXPECT_EQ(Seen()[0].body, "a=1\tb\r\n%41%25 \xE9\xFF\x80");
  EXPECT_EQ(Seen()[0].contentType, "application/x-www-form-urlencoded");
  // Over a mebibyte, where libcurl asks for "100 Continue" unless told not to. (The server
  // may refuse a form this large; only the request's headers matter here.)
  client->Send(std::u16string((std::size_t{1} << 20) + 1, u'x'));
  EXPECT_NE(client->StatusCode(), 0);
  EXPECT_EQ(continueRequests, 0);
}

TEST_F(CurlHttpClientTest, ReturnsTheAnswerDecodedByItsCharsetWithStatusAndReason) {
  const struct {
    int status;
    const char *reason, *contentType;
    std::string bytes;
    std::u16string text;
  } cases[] = {{200, "OK", "text/html; charset=utf-8", "01\xC3\xA9\xE2\x82\xAC", u"01é€"},
               {401, "Unauthorized", "text/html; Charset=\"UTF-8\"", "\xC3\xA9", u"é"},
               {407, "Proxy Authentication Required", "text/html", "01\xE9\x80", u"01é€"},
               {299, "", "text/html; charset=utf-16", "\xC3\xA9", u"Ã©"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    TestServer server;
    ServeEveryPost(server, c.status, c.bytes, c.contentType);
    auto client = ClientFor(server.Url("/gw", "HtTp"));  // the scheme in any case
    EXPECT_EQ(client->Send("data").str(), c.text);
    EXPECT_EQ(client->StatusText().utf8(), c.reason);
    EXPECT_EQ(client->StatusCode(), c.status);
    client->Reset();  // forgets the last status, keeps the address
    EXPECT_EQ(client->StatusText().utf8() + std::to_string(client->StatusCode()), "0");
    EXPECT_EQ(client->Send("again").str(), c.text);
  }
}

// The send fails without an answer: the error's number and the status code are 12000 + the
// CURLcode, there is no status text, and the next send on the same client works again.
TEST_F(CurlHttpClientTest, TransportFailuresRaiseTheirNumberWithoutAStatus) {
  TestServer stalling;
  stalling.Routes().Post("/gw", [&](const httplib::Request&, httplib::Response& response) {
    stalling.StallUntilReleased();
    response.set_content("late", "text/plain");
  });
  stalling.Start();
  TestServer dropping;
  dropping.Routes().Post("/gw", [](const httplib::Request&, httplib::Response& response) {
    response.set_content_provider(100, "text/plain",
                                  [](std::size_t, std::size_t, httplib::DataSink& sink) {
                                    sink.write("01 part", 7);
                                    return false;  // the rest never comes: the connection closes
                                  });
  });
  dropping.Start();
  TestServer untrusted(TestServer::Scheme::kHttps);
  ServeEveryPost(untrusted, 200, "secret answer");
  TestServer plain;
  plain.Routes().Post("/gw", [](const httplib::Request&, httplib::Response& response) {
    response.set_content("answer", "text/html");
  });
  plain.Start();
  const struct {
    std::string url;
    std::chrono::milliseconds timeout;
    CURLcode expected;
  } cases[] = {
      {"http://127.0.0.1:" + std::to_string(testing::RefusingLoopbackPort()), 10s,
       CURLE_COULDNT_CONNECT},
      {stalling.Url("/gw"), 300ms, CURLE_OPERATION_TIMEDOUT},
      {dropping.Url("/gw"), 10s, CURLE_PARTIAL_FILE},
      {untrusted.Url("/gw"), 10s, CURLE_PEER_FAILED_VERIFICATION},
      {plain.Url("/gw", "gopher"), 10s, CURLE_UNSUPPORTED_PROTOCOL},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.url);
    auto client = ClientFor(c.url, c.timeout);
    if (c.url.starts_with("https")) client->UseTls(true);
    const auto error = testing::CatchAutomationError([&] { client->Send("data"); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), CurlErrorNumber(c.expected)) << error->Description().utf8();
    EXPECT_EQ(error->Description().utf8().rfind("HTTP request failed: ", 0), 0u);
    EXPECT_EQ(client->StatusText().utf8(), "");
    EXPECT_EQ(client->StatusCode(), CurlErrorNumber(c.expected));
    client->SetAddress(plain.Url("/gw"));
    client->SetTimeout(10s);
    EXPECT_EQ(client->Send("data").utf8(), "answer");
    EXPECT_EQ(client->StatusCode(), 200);
  }
  EXPECT_TRUE(Seen().empty());  // nothing reached the server that was not trusted
}

// A named proxy gets the full address even for hosts no_proxy excludes, and the credentials when
// it asks for them; without one the system's proxy applies. The gateway's port is closed: only a
// proxy answers.
TEST_F(CurlHttpClientTest, TheProxySettingsReachTheProxy) {
  TestServer proxy;
  proxy.Routes().Post(".*", [this](const httplib::Request& request, httplib::Response& res) {
    const std::lock_guard lock(mutex_);
    seen_.push_back(
        {request.target, request.body, "", request.get_header_value("Proxy-Authorization")});
    if (seen_.back().proxyAuthorization.empty()) {
      res.status = 407;
      res.set_header("Proxy-Authenticate", "Basic realm=\"proxy\"");
    }
    res.set_content(res.status == 407 ? "credentials needed" : "forwarded", "text/plain");
  });
  proxy.Start();
  const std::string gateway =
      "http://127.0.0.1:" + std::to_string(testing::RefusingLoopbackPort()) + "/cgi/gw.php";
  testing::ScopedEnvironment noProxy("no_proxy", "127.0.0.1,localhost");
  auto client = ClientFor(gateway);
  client->SetProxy("127.0.0.1:" + std::to_string(proxy.Port()));
  client->SetProxyUserName("orvu");
  client->SetProxyPassword("s3cr\u00e9t");
  EXPECT_EQ(client->Send("data").utf8(), "forwarded");
  EXPECT_EQ(Seen().back().proxyAuthorization, "Basic b3J2dTpzM2Nyw6l0");  // orvu:s3cr\u00e9t
  noProxy.Set(std::nullopt);
  testing::ScopedEnvironment httpProxy("http_proxy", proxy.Url(""));
  client = ClientFor(gateway);
  EXPECT_EQ(client->Send("data").utf8(), "credentials needed");
  EXPECT_EQ(client->StatusCode(), 407);
  for (const auto& request : Seen())
    EXPECT_EQ(request.target, gateway);
}

}  // namespace
}  // namespace orvulink::platform
