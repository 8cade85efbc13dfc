// The libcurl HTTP client against an in-process server on loopback.
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>

#include "fake_network.hpp"
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
  std::string method;
  std::string target;
  std::string body;
  std::string contentType;
  std::string proxyAuthorization;
};

// Requests recorded on the server's threads, read on the test's.
class RequestLog {
 public:
  void Record(const httplib::Request& request) {
    const std::lock_guard lock(mutex_);
    requests_.push_back({request.method, request.target, request.body,
                         request.get_header_value("Content-Type"),
                         request.get_header_value("Proxy-Authorization")});
  }
  std::vector<SeenRequest> All() const {
    const std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<SeenRequest> requests_;
};

// The gateway's address names a port nobody listens on: only a proxy can answer it.
std::string UnreachableGateway() {
  return "http://127.0.0.1:" + std::to_string(testing::RefusingLoopbackPort()) + "/cgi/gw.php";
}

class CurlHttpClientTest : public ::testing::Test {
 protected:
  // A client prepared the way the exchange prepares one.
  static std::unique_ptr<HttpClient> ClientFor(const std::string& url,
                                               std::chrono::milliseconds timeout = 10s) {
    auto client = MakeCurlHttpClient();
    client->SetProxy("");
    client->SetProxyUserName("");
    client->SetProxyPassword("");
    client->SetAddress(url);
    client->Reset();
    client->SetTimeout(timeout);
    return client;
  }

  // A server that answers every POST with `status`, `body` and `contentType`, logging it.
  void ServeEveryPost(TestServer& server, int status, std::string body,
                      std::string contentType = "text/html") {
    server.Routes().Post(".*", [this, status, body, contentType](const httplib::Request& request,
                                                                 httplib::Response& response) {
      log_.Record(request);
      response.status = status;
      response.set_content(body, contentType.c_str());
    });
    server.Start();
  }

  testing::CleanNetworkEnvironment environment_;
  RequestLog log_;
};

TEST_F(CurlHttpClientTest, PostsTheBodyAsWindows1252FormDataByteForByte) {
  TestServer server;
  ServeEveryPost(server, 200, "answer");
  const std::u16string tail(2000, u'x');
  auto client = ClientFor(server.Url("/cgi/gw.php"));
  EXPECT_EQ(client->Send(u"a=1\tb\r\n%41%25 \u00e9\u00ff\u20ac" + tail).utf8(), "answer");
  const auto requests = log_.All();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "POST");
  EXPECT_EQ(requests[0].target, "/cgi/gw.php");
  EXPECT_EQ(requests[0].body, "a=1\tb\r\n%41%25 \xE9\xFF\x80" + std::string(tail.size(), 'x'));
  EXPECT_EQ(requests[0].contentType, "application/x-www-form-urlencoded");
}

TEST_F(CurlHttpClientTest, ALargeBodyIsSentWithoutWaitingForContinue) {
  TestServer server;
  std::atomic<int> continueRequests{0};
  server.Routes().set_expect_100_continue_handler(
      [&continueRequests](const httplib::Request&, httplib::Response&) {
        ++continueRequests;
        return 100;
      });
  ServeEveryPost(server, 200, "answer");
  // Over a mebibyte, where libcurl asks for "100 Continue" unless told not to. (The server
  // may refuse a form this large; only the request's headers matter here.)
  const std::u16string body((std::size_t{1} << 20) + 1, u'x');
  auto client = ClientFor(server.Url("/gw"));
  client->Send(body);
  EXPECT_NE(client->StatusCode(), 0);
  EXPECT_EQ(continueRequests, 0);
}

TEST_F(CurlHttpClientTest, ReturnsTheAnswerBodyWithTheStatusAndItsReasonPhrase) {
  const struct {
    int status;
    const char* reason;
    std::string body;
  } cases[] = {{200, "OK", "answer"},
               {401, "Unauthorized", "refused"},
               {407, "Proxy Authentication Required", "x"},
               {299, "", "x"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    TestServer server;
    ServeEveryPost(server, c.status, c.body);
    auto client = ClientFor(server.Url("/gw"));
    EXPECT_EQ(client->Send("data").utf8(), c.body);
    EXPECT_EQ(client->StatusText().utf8(), c.reason);
    EXPECT_EQ(client->StatusCode(), c.status);
  }
}

TEST_F(CurlHttpClientTest, ResetForgetsTheLastStatusButKeepsTheAddress) {
  TestServer server;
  ServeEveryPost(server, 401, "refused");
  auto client = MakeCurlHttpClient();
  EXPECT_EQ(client->StatusCode(), 0);
  EXPECT_EQ(client->StatusText().utf8(), "");
  client->SetAddress(server.Url("/gw", "HtTp"));  // the scheme in any case
  client->SetTimeout(10s);
  client->Send("data");
  client->Reset();
  EXPECT_EQ(client->StatusCode(), 0);
  EXPECT_EQ(client->StatusText().utf8(), "");
  EXPECT_EQ(client->Send("again").utf8(), "refused");
  EXPECT_EQ(log_.All().size(), 2u);
}

TEST_F(CurlHttpClientTest, DecodesTheAnswerByItsCharset) {
  const struct {
    const char* contentType;
    std::string bytes;
    std::u16string text;
  } cases[] = {{"text/html; charset=utf-8", "01\xC3\xA9\xE2\x82\xAC", u"01é€"},
               {"text/html; Charset=\"UTF-8\"", "\xC3\xA9", u"é"},
               {"text/html", "01\xE9\x80", u"01é€"},
               {"text/html; charset=utf-16", "\xC3\xA9", u"Ã©"}};
  for (const auto& c : cases) {
    TestServer server;
    ServeEveryPost(server, 200, c.bytes, c.contentType);
    EXPECT_EQ(ClientFor(server.Url("/gw"))->Send("data").str(), c.text) << c.contentType;
  }
}

TEST_F(CurlHttpClientTest, HttpsWorksWithTheCertificateAuthorityOfTheCaFile) {
  TestServer server(TestServer::Scheme::kHttps);
  ServeEveryPost(server, 200, "secret answer");
  testing::ScopedEnvironment ca("ORVULINK_CA_FILE", testing::TestTlsFiles().certificate);
  // The encryption switch widens the TLS versions; https works with or without it, and the
  // scheme may be written in any case.
  for (const bool encrypt : {true, false}) {
    auto client = ClientFor(server.Url("/gw", "HtTpS"));
    if (encrypt) client->UseTls(true);
    EXPECT_EQ(client->Send("data").utf8(), "secret answer") << encrypt;
    EXPECT_EQ(client->StatusText().utf8(), "OK");
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
    EXPECT_EQ(error->Source().utf8(), "OrvuLink");
    EXPECT_EQ(error->Description().utf8().rfind("HTTP request failed: ", 0), 0u);
    EXPECT_EQ(client->StatusText().utf8(), "");
    EXPECT_EQ(client->StatusCode(), CurlErrorNumber(c.expected));
    client->SetAddress(plain.Url("/gw"));
    client->SetTimeout(10s);
    EXPECT_EQ(client->Send("data").utf8(), "answer");
    EXPECT_EQ(client->StatusCode(), 200);
  }
  EXPECT_TRUE(log_.All().empty());  // nothing reached the server that was not trusted
}

// ---- proxies ----------------------------------------------------------------------------------

TEST_F(CurlHttpClientTest, ANamedProxyGetsTheFullAddressEvenForHostsThatNoProxyExcludes) {
  TestServer proxy;
  ServeEveryPost(proxy, 200, "via proxy");
  testing::ScopedEnvironment noProxy("no_proxy", "127.0.0.1,localhost");
  const std::string gateway = UnreachableGateway();
  auto client = ClientFor(gateway);
  client->SetProxy("127.0.0.1:" + std::to_string(proxy.Port()));
  EXPECT_EQ(client->Send("data").utf8(), "via proxy");
  const auto requests = log_.All();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target, gateway);
  EXPECT_EQ(requests[0].body, "data");
}

TEST_F(CurlHttpClientTest, WithoutANamedProxyTheSystemProxyApplies) {
  TestServer proxy;
  ServeEveryPost(proxy, 200, "via system proxy");
  testing::ScopedEnvironment httpProxy("http_proxy", proxy.Url(""));
  const std::string gateway = UnreachableGateway();
  EXPECT_EQ(ClientFor(gateway)->Send("data").utf8(), "via system proxy");
  ASSERT_EQ(log_.All().size(), 1u);
  EXPECT_EQ(log_.All()[0].target, gateway);
}

std::string Base64(const std::string& text) {
  std::string out(4 * ((text.size() + 2) / 3) + 1, '\0');
  const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()),
                                     reinterpret_cast<const unsigned char*>(text.data()),
                                     static_cast<int>(text.size()));
  out.resize(static_cast<std::size_t>(length));
  return out;
}

// A proxy that wants basic credentials before it forwards anything: without them its refusal is
// the answer, with them the request goes through.
TEST_F(CurlHttpClientTest, ProxyCredentialsAreOfferedToTheProxy) {
  TestServer proxy;
  proxy.Routes().Post(".*", [this](const httplib::Request& request, httplib::Response& response) {
    log_.Record(request);
    if (!request.has_header("Proxy-Authorization")) {
      response.status = 407;
      response.set_header("Proxy-Authenticate", "Basic realm=\"proxy\"");
      response.set_content("credentials needed", "text/plain");
      return;
    }
    response.set_content("forwarded", "text/plain");
  });
  proxy.Start();
  auto client = ClientFor(UnreachableGateway());
  client->SetProxy("127.0.0.1:" + std::to_string(proxy.Port()));
  EXPECT_EQ(client->Send("data").utf8(), "credentials needed");
  EXPECT_EQ(client->StatusCode(), 407);
  EXPECT_EQ(client->StatusText().utf8(), "Proxy Authentication Required");

  client = ClientFor(UnreachableGateway());
  client->SetProxy("127.0.0.1:" + std::to_string(proxy.Port()));
  client->SetProxyUserName("orvu");
  client->SetProxyPassword("s3cr\u00e9t");
  EXPECT_EQ(client->Send("data").utf8(), "forwarded");
  EXPECT_EQ(client->StatusText().utf8(), "OK");
  const auto requests = log_.All();
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().proxyAuthorization, "Basic " + Base64("orvu:s3cr\xC3\xA9t"));
  EXPECT_EQ(requests.back().body, "data");
}

// ---- the factory seam -------------------------------------------------------------------------

TEST_F(CurlHttpClientTest, AFactoryReplacesTheClientNullRestoresLibcurlAndNoClientRaises) {
  TestServer server;
  ServeEveryPost(server, 200, "real answer");
  testing::ScopedFakeHttp fake;
  fake.script->Queue({"fake"});
  EXPECT_EQ(MakeHttpClient()->Send("data").utf8(), "fake");

  const HttpClientFactory replaced = SetHttpClientFactory(nullptr);
  ASSERT_TRUE(replaced);
  auto client = MakeHttpClient();
  client->SetAddress(server.Url("/gw"));
  client->SetTimeout(10s);
  EXPECT_EQ(client->Send("data").utf8(), "real answer");
  EXPECT_EQ(fake.script->clientsMade, 1);

  SetHttpClientFactory([] { return std::unique_ptr<HttpClient>(); });
  EXPECT_TRUE(testing::RaisesError(429, [] { MakeHttpClient(); }));
  SetHttpClientFactory(replaced);
  MakeHttpClient();
  EXPECT_EQ(fake.script->clientsMade, 2);
}

}  // namespace
}  // namespace orvulink::platform
