// The libcurl HTTP client against an in-process server on loopback.
#include <curl/curl.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>

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

class CurlHttpClientTest : public ::testing::Test {
 protected:
  // A client prepared the way the exchange prepares one.
  static std::unique_ptr<HttpClient> ClientFor(const std::string& url,
                                               std::chrono::milliseconds timeout = 10s) {
    auto client = MakeCurlHttpClient();
    client->SetProxy("");
    client->SetProxyUserName("");
    client->SetProxyPassword("");
    client->SetOption(0);
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

  // The send fails without an answer: the error's number and the status code are 12000 + the
  // CURLcode, and there is no status text.
  static void ExpectTransportFailure(HttpClient& client, CURLcode expected) {
    const auto error = testing::CatchAutomationError([&] { client.Send("data"); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->Number(), CurlErrorNumber(expected)) << error->Description().utf8();
    EXPECT_EQ(error->Source().utf8(), "OrvuLink");
    EXPECT_EQ(error->Description().utf8().rfind("HTTP request failed: ", 0), 0u);
    EXPECT_EQ(client.StatusText().utf8(), "");
    EXPECT_EQ(client.StatusCode(), CurlErrorNumber(expected));
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

struct StatusCase {
  int status;
  const char* reason;
};

class CurlHttpClientStatusTest : public CurlHttpClientTest,
                                 public ::testing::WithParamInterface<StatusCase> {};

TEST_P(CurlHttpClientStatusTest, ReturnsTheAnswerBodyWithTheStatusAndItsReasonPhrase) {
  TestServer server;
  const std::string body = "answer of " + std::to_string(GetParam().status);
  ServeEveryPost(server, GetParam().status, body);
  auto client = ClientFor(server.Url("/gw"));
  EXPECT_EQ(client->Send("data").utf8(), body);
  EXPECT_EQ(client->StatusText().utf8(), GetParam().reason);
  EXPECT_EQ(client->StatusCode(), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(Statuses, CurlHttpClientStatusTest,
                         ::testing::Values(StatusCase{200, "OK"}, StatusCase{401, "Unauthorized"},
                                           StatusCase{404, "Not Found"},
                                           StatusCase{407, "Proxy Authentication Required"},
                                           StatusCase{500, "Internal Server Error"},
                                           StatusCase{503, "Service Unavailable"},
                                           StatusCase{299, ""}));

TEST_F(CurlHttpClientTest, AnEmptyAnswerIsEmptyText) {
  TestServer server;
  ServeEveryPost(server, 200, "");
  auto client = ClientFor(server.Url("/gw"));
  EXPECT_EQ(client->Send("data").utf8(), "");
  EXPECT_EQ(client->StatusText().utf8(), "OK");
  EXPECT_EQ(client->StatusCode(), 200);
}

TEST_F(CurlHttpClientTest, ResetForgetsTheLastStatusButKeepsTheAddress) {
  TestServer server;
  ServeEveryPost(server, 401, "refused");
  auto client = MakeCurlHttpClient();
  EXPECT_EQ(client->StatusCode(), 0);
  EXPECT_EQ(client->StatusText().utf8(), "");
  client->SetAddress(server.Url("/gw"));
  client->SetTimeout(10s);
  client->Send("data");
  client->Reset();
  EXPECT_EQ(client->StatusCode(), 0);
  EXPECT_EQ(client->StatusText().utf8(), "");
  EXPECT_EQ(client->Send("again").utf8(), "refused");
  EXPECT_EQ(log_.All().size(), 2u);
}

struct DecodingCase {
  const char* contentType;
  std::string bytes;
  std::u16string text;
};

class CurlHttpClientDecodingTest : public CurlHttpClientTest,
                                   public ::testing::WithParamInterface<DecodingCase> {};

TEST_P(CurlHttpClientDecodingTest, DecodesTheAnswerByItsCharset) {
  TestServer server;
  ServeEveryPost(server, 200, GetParam().bytes, GetParam().contentType);
  EXPECT_EQ(ClientFor(server.Url("/gw"))->Send("data").str(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Charsets, CurlHttpClientDecodingTest,
    ::testing::Values(DecodingCase{"text/html; charset=utf-8", "01\xC3\xA9\xE2\x82\xAC", u"01é€"},
                      DecodingCase{"text/html; Charset=\"UTF-8\"", "\xC3\xA9", u"é"},
                      DecodingCase{"text/plain;charset=UTF8; format=flowed", "\xC3\xA9", u"é"},
                      DecodingCase{"text/html", "01\xE9\x80", u"01é€"},
                      DecodingCase{"text/html; charset=iso-8859-1", "\xE9\x80", u"é€"},
                      DecodingCase{"text/html; charset=utf-16", "\xC3\xA9", u"Ã©"}));

TEST_F(CurlHttpClientTest, TheSchemeMayBeWrittenInAnyCase) {
  TestServer server;
  ServeEveryPost(server, 200, "answer");
  EXPECT_EQ(ClientFor(server.Url("/gw", "HtTp"))->Send("data").utf8(), "answer");
}

TEST_F(CurlHttpClientTest, HttpsWorksWithTheCertificateAuthorityOfTheCaFile) {
  TestServer server(TestServer::Scheme::kHttps);
  ServeEveryPost(server, 200, "secret answer");
  testing::ScopedEnvironment ca("ORVULINK_CA_FILE", testing::TestTlsFiles().certificate);
  // The encryption switch widens the TLS versions; https works with or without it.
  for (const bool encrypt : {true, false}) {
    for (const char* scheme : {"https", "Https"}) {
      auto client = ClientFor(server.Url("/gw", scheme));
      if (encrypt) client->EnableEncryption(63);
      EXPECT_EQ(client->Send("data").utf8(), "secret answer") << scheme << encrypt;
      EXPECT_EQ(client->StatusText().utf8(), "OK");
    }
  }
}

TEST_F(CurlHttpClientTest, AnUntrustedCertificateIsRefused) {
  TestServer server(TestServer::Scheme::kHttps);
  ServeEveryPost(server, 200, "secret answer");
  auto client = ClientFor(server.Url("/gw"));
  client->EnableEncryption(63);
  ExpectTransportFailure(*client, CURLE_PEER_FAILED_VERIFICATION);
  EXPECT_TRUE(log_.All().empty());
}

TEST_F(CurlHttpClientTest, ARefusedConnectionFails) {
  auto client = ClientFor("http://127.0.0.1:" + std::to_string(testing::RefusingLoopbackPort()));
  ExpectTransportFailure(*client, CURLE_COULDNT_CONNECT);
}

TEST_F(CurlHttpClientTest, AnAnswerSlowerThanTheTimeoutFails) {
  TestServer server;
  server.Routes().Post("/gw", [&](const httplib::Request&, httplib::Response& response) {
    server.StallUntilReleased();
    response.set_content("late", "text/plain");
  });
  server.Start();
  auto client = ClientFor(server.Url("/gw"), 300ms);
  ExpectTransportFailure(*client, CURLE_OPERATION_TIMEDOUT);
}

TEST_F(CurlHttpClientTest, AConnectionDroppedMidAnswerFails) {
  TestServer server;
  server.Routes().Post("/gw", [](const httplib::Request&, httplib::Response& response) {
    response.set_content_provider(100, "text/plain",
                                  [](std::size_t, std::size_t, httplib::DataSink& sink) {
                                    sink.write("01 part", 7);
                                    return false;  // the rest never comes: the connection closes
                                  });
  });
  server.Start();
  auto client = ClientFor(server.Url("/gw"));
  ExpectTransportFailure(*client, CURLE_PARTIAL_FILE);
}

TEST_F(CurlHttpClientTest, AfterAFailureTheNextSendSucceedsAgain) {
  TestServer server;
  ServeEveryPost(server, 200, "answer");
  auto client = ClientFor(server.Url("/gw", "gopher"));
  ExpectTransportFailure(*client, CURLE_UNSUPPORTED_PROTOCOL);
  client->SetAddress(server.Url("/gw"));
  EXPECT_EQ(client->Send("data").utf8(), "answer");
  EXPECT_EQ(client->StatusCode(), 200);
}

// ---- proxies ----------------------------------------------------------------------------------

// The gateway's address names a port nobody listens on: only a proxy can answer it.
std::string UnreachableGateway() {
  return "http://127.0.0.1:" + std::to_string(testing::RefusingLoopbackPort()) + "/cgi/gw.php";
}

TEST_F(CurlHttpClientTest, ANamedProxyReceivesTheRequestWithTheFullAddress) {
  TestServer proxy;
  ServeEveryPost(proxy, 200, "via proxy");
  const std::string gateway = UnreachableGateway();
  auto client = ClientFor(gateway);
  client->SetProxy("127.0.0.1:" + std::to_string(proxy.Port()));
  EXPECT_EQ(client->Send("data").utf8(), "via proxy");
  const auto requests = log_.All();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].target, gateway);
  EXPECT_EQ(requests[0].body, "data");
}

TEST_F(CurlHttpClientTest, ANamedProxyServesHostsThatNoProxyExcludes) {
  TestServer proxy;
  ServeEveryPost(proxy, 200, "via proxy");
  testing::ScopedEnvironment noProxy("no_proxy", "127.0.0.1,localhost");
  auto client = ClientFor(UnreachableGateway());
  client->SetProxy("127.0.0.1:" + std::to_string(proxy.Port()));
  EXPECT_EQ(client->Send("data").utf8(), "via proxy");
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

// A proxy that wants basic credentials before it forwards anything.
void ServeAsAuthenticatingProxy(TestServer& proxy, RequestLog& log) {
  proxy.Routes().Post(".*", [&log](const httplib::Request& request, httplib::Response& response) {
    log.Record(request);
    if (!request.has_header("Proxy-Authorization")) {
      response.status = 407;
      response.set_header("Proxy-Authenticate", "Basic realm=\"proxy\"");
      response.set_content("credentials needed", "text/plain");
      return;
    }
    response.set_content("forwarded", "text/plain");
  });
  proxy.Start();
}

TEST_F(CurlHttpClientTest, ProxyCredentialsAreOfferedToTheProxy) {
  TestServer proxy;
  ServeAsAuthenticatingProxy(proxy, log_);
  auto client = ClientFor(UnreachableGateway());
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

TEST_F(CurlHttpClientTest, WithoutCredentialsTheProxysRefusalIsTheAnswer) {
  TestServer proxy;
  ServeAsAuthenticatingProxy(proxy, log_);
  auto client = ClientFor(UnreachableGateway());
  client->SetProxy("127.0.0.1:" + std::to_string(proxy.Port()));
  EXPECT_EQ(client->Send("data").utf8(), "credentials needed");
  EXPECT_EQ(client->StatusCode(), 407);
  EXPECT_EQ(client->StatusText().utf8(), "Proxy Authentication Required");
}

// ---- reason phrases and the factory seam ------------------------------------------------------

TEST(HttpReasonPhrase, CodesWithoutAPhraseGiveNothing) {
  for (long code : {0L, -1L, 99L, 199L, 499L, 600L, 999L}) {
    EXPECT_EQ(HttpReasonPhrase(code), "") << code;
  }
  EXPECT_EQ(HttpReasonPhrase(100), "Continue");
  EXPECT_EQ(HttpReasonPhrase(511), "Network Authentication Required");
}

struct RecordingHttpClient : HttpClient {
  void SetProxy(const BStr&) override {}
  void SetProxyUserName(const BStr&) override {}
  void SetProxyPassword(const BStr&) override {}
  void SetOption(std::int32_t) override {}
  void EnableEncryption(std::int32_t) override {}
  void SetAddress(const BStr&) override {}
  void Reset() override {}
  void SetTimeout(std::chrono::milliseconds) override {}
  BStr Send(const BStr&) override { return "fake"; }
  BStr StatusText() override { return "OK"; }
  std::int32_t StatusCode() override { return 200; }
};

// Installs a factory for the life of the scope, then puts back the one it replaced.
class ScopedHttpClientFactory {
 public:
  explicit ScopedHttpClientFactory(HttpClientFactory factory)
      : previous_(SetHttpClientFactory(std::move(factory))) {}
  ~ScopedHttpClientFactory() { SetHttpClientFactory(previous_); }
  ScopedHttpClientFactory(const ScopedHttpClientFactory&) = delete;
  ScopedHttpClientFactory& operator=(const ScopedHttpClientFactory&) = delete;

 private:
  HttpClientFactory previous_;
};

TEST_F(CurlHttpClientTest, AFactoryReplacesTheClientAndNullRestoresLibcurl) {
  TestServer server;
  ServeEveryPost(server, 200, "real answer");
  int made = 0;
  const ScopedHttpClientFactory scoped([&made] {
    ++made;
    return std::make_unique<RecordingHttpClient>();
  });
  EXPECT_EQ(MakeHttpClient()->Send("data").utf8(), "fake");
  EXPECT_EQ(made, 1);

  const HttpClientFactory replaced = SetHttpClientFactory(nullptr);
  ASSERT_TRUE(replaced);
  auto client = MakeHttpClient();
  client->SetAddress(server.Url("/gw"));
  client->SetTimeout(10s);
  EXPECT_EQ(client->Send("data").utf8(), "real answer");
  EXPECT_EQ(made, 1);
  SetHttpClientFactory(replaced);
  EXPECT_EQ(MakeHttpClient()->Send("data").utf8(), "fake");
}

TEST(HttpClientFactory, AFactoryThatGivesNoClientRaises) {
  const ScopedHttpClientFactory scoped([] { return std::unique_ptr<HttpClient>(); });
  const auto error = testing::CatchAutomationError([] { MakeHttpClient(); });
  ASSERT_TRUE(error);
  EXPECT_EQ(error->Number(), 429);
}

}  // namespace
}  // namespace orvulink::platform
