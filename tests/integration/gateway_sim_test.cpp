// The gateway simulator over real HTTP(S) on loopback: framing, commands, faults, control.
#include <openssl/pem.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <nlohmann/json.hpp>

#include "command_builder.hpp"
#include "sim/simulator_thread.hpp"
#include "sim/tls_certificate.hpp"

namespace orvulink::sim {
namespace {

using namespace testing_support;
using Json = nlohmann::json;

constexpr char kCgi[] = "/cgi/orvusms_gw_plus.php";
constexpr char kProbe[] = "/update/neton.htm";
const std::string kHead = "<html>\r\n<body>\r\n";
const std::string kTail = "\r\n</body>\r\n</html>\r\n";

// What the client keeps of a page: all but the first 16 and the last 20 characters.
std::string Cut(const std::string& page) {
  if (page.size() <= 16) return "";
  return page.size() - 16 < 20 ? page.substr(16) : page.substr(16, page.size() - 36);
}

std::string CreditCommand(const Credentials& who = {}) {
  return Command(2, who, {{"SERIAL", Serial()}});
}

// A file in the temporary directory, removed with the object.
class TempFile {
 public:
  explicit TempFile(const std::string& stem) {
    static std::atomic<int> next = 0;
    path_ = std::filesystem::temp_directory_path() /
            (stem + "-" + std::to_string(getpid()) + "-" + std::to_string(next++) + ".pem");
  }
  ~TempFile() { std::filesystem::remove(path_); }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

class SimulatorTest : public testing::Test {
 protected:
  explicit SimulatorTest(SimulatorConfig config = {})
      : simulator_(std::move(config)), client_("127.0.0.1", simulator_.port()) {}

  httplib::Result Send(const std::string& body) {
    return client_.Post(kCgi, body, "application/x-www-form-urlencoded");
  }

  std::string AnswerText(const std::string& body) {
    const auto result = Send(body);
    if (!result) return "<transport error: " + httplib::to_string(result.error()) + ">";
    return Cut(result->body);
  }

  Json GetJson(const char* path) {
    const auto result = client_.Get(path);
    if (!result || result->status != 200) return nullptr;
    return Json::parse(result->body);
  }

  void AddFault(const Json& fault) {
    const auto result = client_.Post("/control/fault", fault.dump(), "application/json");
    ASSERT_TRUE(result);
    ASSERT_EQ(result->status, 200) << result->body;
  }

  SimulatorThread simulator_;
  httplib::Client client_;
};

TEST_F(SimulatorTest, PageFramesTheAnswerWithSixteenAndTwentyCharacters) {
  const auto result = Send(CreditCommand());
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(result->get_header_value("Content-Type"), "text/html; charset=windows-1252");
  EXPECT_EQ(result->body.substr(0, 16), kHead);
  EXPECT_EQ(result->body.substr(result->body.size() - 20), kTail);
  EXPECT_EQ(Cut(result->body), "01\n150.50 credits");
}

TEST_F(SimulatorTest, EmptyCommandAnswersANumericBody) {
  const auto result = Send("");
  ASSERT_TRUE(result);
  // The connection test's view: the text between <body> and </body>, CR LF pairs removed.
  const std::size_t open = result->body.find("<body>");
  const std::size_t close = result->body.find("</body>");
  ASSERT_TRUE(open != std::string::npos && close != std::string::npos && close > open);
  std::string body = result->body.substr(open + 6, close - open - 6);
  for (std::size_t at; (at = body.find("\r\n")) != std::string::npos;)
    body.erase(at, 2);
  EXPECT_EQ(body, "98");
}

struct WireCase {
  const char* name;
  std::string body;
  std::string answer_text;
};

void PrintTo(const WireCase& c, std::ostream* os) {
  *os << c.name;
}

class SimulatorCommands : public SimulatorTest, public testing::WithParamInterface<WireCase> {};

TEST_P(SimulatorCommands, AnswerText) {
  EXPECT_EQ(AnswerText(GetParam().body), GetParam().answer_text);
}

INSTANTIATE_TEST_SUITE_P(
    OverHttp, SimulatorCommands,
    testing::Values(
        WireCase{"Credit", CreditCommand(), "01\n150.50 credits"},
        WireCase{"UserInfo", Command(7, {}, {{"SERIAL", Serial()}}),
                 "01\ndemo\tS\t150.50\tIT\tS\t2\tS\tK1,K2,"},
        WireCase{"Delete", Command(9, {}, {{"ORDERID", "X1"}, {"DEST", "+"}, {"SERIAL", Serial()}}),
                 "01\n0 deleted"},
        WireCase{"WrongPassword", CreditCommand({"demo", "wrong"}), "99"},
        WireCase{"WrongSerial", Command(2, {}, {{"SERIAL", "OL7R2K9Q4M1X8C5V3N6X"}}), "98"},
        WireCase{"EmptyCommand", "", "98"}, WireCase{"BadEscape", "CMD=2&UID=%6G", "98"}),
    CaseName<WireCase>);

SimulatorConfig WithOrdersAndLatin1User() {
  SimulatorConfig config;
  config.accounts = LoadFixtureFile(ORVULINK_SIM_EXAMPLE_ACCOUNTS);
  return config;
}

class SimulatorWithFixture : public SimulatorTest {
 protected:
  SimulatorWithFixture() : SimulatorTest(WithOrdersAndLatin1User()) {}
};

TEST_F(SimulatorWithFixture, AnswerIsWindows1252OnTheWire) {
  const Credentials latin1{"universit\u00e0", "p\u00e4ssw\u00f6rd\u20ac"};
  const auto result = Send(Command(7, latin1, {{"SERIAL", Serial()}}));
  ASSERT_TRUE(result);
  EXPECT_EQ(Cut(result->body), "01\nuniversit\xE0\tS\t0.00\tIT\tN\t1\tN\tINFO,");
}

TEST_F(SimulatorWithFixture, DeleteRemovesRecipientsThenTheOrder) {
  const auto remove = [](const char* dest) {
    return Command(9, {}, {{"ORDERID", "ORD-1001"}, {"DEST", dest}, {"SERIAL", Serial()}});
  };
  EXPECT_EQ(AnswerText(remove("+393331234567")), "01\n1 deleted");
  EXPECT_EQ(AnswerText(remove("+393331234567")), "01\n0 deleted");
  EXPECT_EQ(GetJson("/control/accounts")["accounts"][0]["orders"]["ORD-1001"],
            Json::array({"+393337654321"}));
  EXPECT_EQ(AnswerText(remove("+")), "01\n1 deleted");
  EXPECT_TRUE(GetJson("/control/accounts")["accounts"][0]["orders"].empty());
}

TEST_F(SimulatorTest, RequestLogKeepsEveryBodyInOrder) {
  const std::vector<std::string> bodies = {CreditCommand(), "", "CMD=7&junk", "A=\xE8"};
  for (const auto& body : bodies)
    Send(body);
  client_.Get(kProbe);  // not a command
  const Json log = GetJson("/control/requests");
  ASSERT_TRUE(log.is_array());
  ASSERT_EQ(log.size(), bodies.size());
  for (std::size_t i = 0; i < 3; ++i)
    EXPECT_EQ(log[i], bodies[i]);
  EXPECT_EQ(log[3], "A=\uFFFD");  // a stray byte survives as a replacement character
}

TEST_F(SimulatorTest, ProbePageIsAnHtmlPageAndIsCounted) {
  Send(CreditCommand());
  const auto result = client_.Get(kProbe);
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_NE(result->body.find("<body>"), std::string::npos);
  EXPECT_EQ(GetJson("/control/probes"), (Json{{"count", 1}}));
}

struct FaultCase {
  const char* name;
  Json fault;
  std::function<void(const httplib::Result&)> check;
};

void PrintTo(const FaultCase& c, std::ostream* os) {
  *os << c.name;
}

void ExpectPage(const httplib::Result& result, const std::string& answer_text) {
  ASSERT_TRUE(result) << httplib::to_string(result.error());
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(Cut(result->body), answer_text);
}

void ExpectStatus(const httplib::Result& result, int status) {
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, status);
  EXPECT_FALSE(result->body.empty());
}

const FaultCase kCgiFaults[] = {
    {"Empty", {{"kind", "empty"}}, [](const auto& r) { ExpectPage(r, ""); }},
    {"Garbage",
     {{"kind", "garbage"}},
     [](const auto& r) {
       ASSERT_TRUE(r);
       const std::string text = Cut(r->body);
       ASSERT_GE(text.size(), 2U);
       EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(text[0])) &&
                    std::isdigit(static_cast<unsigned char>(text[1])))
           << text;
     }},
    {"Code", {{"kind", "code"}, {"code", "97"}}, [](const auto& r) { ExpectPage(r, "97"); }},
    {"CodeWithPayload",
     {{"kind", "code"}, {"code", "00"}, {"payload", "<pre>Closed</pre>"}},
     [](const auto& r) { ExpectPage(r, "00\n<pre>Closed</pre>"); }},
    {"Http401", {{"kind", "http"}, {"status", 401}}, [](const auto& r) { ExpectStatus(r, 401); }},
    {"Http404", {{"kind", "http"}, {"status", 404}}, [](const auto& r) { ExpectStatus(r, 404); }},
    {"Http407", {{"kind", "http"}, {"status", 407}}, [](const auto& r) { ExpectStatus(r, 407); }},
    {"Http500", {{"kind", "http"}, {"status", 500}}, [](const auto& r) { ExpectStatus(r, 500); }},
    {"Drop", {{"kind", "drop"}}, [](const auto& r) { EXPECT_FALSE(r); }},
    {"ShortDelay",
     {{"kind", "delay"}, {"delay_ms", 1}},
     [](const auto& r) { ExpectPage(r, "01\n150.50 credits"); }},
};

class SimulatorCgiFaults : public SimulatorTest, public testing::WithParamInterface<FaultCase> {};

TEST_P(SimulatorCgiFaults, AppliesToItsCountThenExpires) {
  Json fault = GetParam().fault;
  fault["count"] = 2;
  AddFault(fault);
  GetParam().check(Send(CreditCommand()));
  GetParam().check(Send(CreditCommand()));
  EXPECT_EQ(AnswerText(CreditCommand()), "01\n150.50 credits");
  EXPECT_EQ(GetJson("/control/requests").size(), 3U);  // faulted requests are logged too
}

INSTANTIATE_TEST_SUITE_P(Kinds, SimulatorCgiFaults, testing::ValuesIn(kCgiFaults),
                         CaseName<FaultCase>);

TEST_F(SimulatorTest, FaultWithoutCountStaysUntilReset) {
  AddFault({{"kind", "code"}, {"code", "96"}});
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(AnswerText(CreditCommand()), "96");
  const auto reset = client_.Post("/control/reset", "", "application/json");
  ASSERT_TRUE(reset);
  EXPECT_EQ(reset->status, 204);
  EXPECT_EQ(AnswerText(CreditCommand()), "01\n150.50 credits");
}

TEST_F(SimulatorTest, QueuedFaultsFollowOneAnother) {
  AddFault({{"kind", "empty"}, {"count", 1}});
  AddFault({{"kind", "code"}, {"code", "97"}, {"count", 1}});
  EXPECT_EQ(GetJson("/control/faults")["cgi"].size(), 2U);
  EXPECT_EQ(AnswerText(CreditCommand()), "");
  EXPECT_EQ(AnswerText(CreditCommand()), "97");
  EXPECT_EQ(AnswerText(CreditCommand()), "01\n150.50 credits");
  EXPECT_TRUE(GetJson("/control/faults")["cgi"].empty());
}

// The server holds the answer back for a minute: a client that waits less gets nothing, and
// stopping the server at the end of the test cuts the wait short.
TEST_F(SimulatorTest, DelayedAnswerDoesNotArriveBeforeItsTime) {
  AddFault({{"kind", "delay"}, {"delay_ms", 60'000}, {"count", 1}});
  httplib::Client impatient("127.0.0.1", simulator_.port());
  impatient.set_read_timeout(std::chrono::milliseconds(200));
  const auto result = impatient.Post(kCgi, CreditCommand(), "text/plain");
  EXPECT_FALSE(result);
  EXPECT_EQ(result.error(), httplib::Error::Read);
  EXPECT_EQ(AnswerText(CreditCommand()), "01\n150.50 credits");  // other workers still answer
}

TEST_F(SimulatorTest, ProbeFaultsLeaveTheCgiAlone) {
  AddFault({{"target", "probe"}, {"kind", "http"}, {"status", 404}, {"count", 1}});
  AddFault({{"target", "probe"}, {"kind", "drop"}, {"count", 1}});
  AddFault({{"target", "probe"}, {"kind", "empty"}, {"count", 1}});
  EXPECT_EQ(AnswerText(CreditCommand()), "01\n150.50 credits");
  const auto refused = client_.Get(kProbe);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 404);
  EXPECT_FALSE(client_.Get(kProbe));
  const auto empty = client_.Get(kProbe);
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->status, 200);
  EXPECT_EQ(empty->body, "");
  const auto normal = client_.Get(kProbe);
  ASSERT_TRUE(normal);
  EXPECT_NE(normal->body.find("online"), std::string::npos);
  EXPECT_EQ(GetJson("/control/probes")["count"], 4);
}

class SimulatorStartedWithFaults : public SimulatorTest {
 protected:
  static SimulatorConfig Config() {
    SimulatorConfig config;
    config.faults = {ParseFault("probe:http=407x1"), ParseFault("code=94x1")};
    return config;
  }
  SimulatorStartedWithFaults() : SimulatorTest(Config()) {}
};

TEST_F(SimulatorStartedWithFaults, CommandLineFaultsApplyFromTheFirstRequest) {
  const auto probe = client_.Get(kProbe);
  ASSERT_TRUE(probe);
  EXPECT_EQ(probe->status, 407);
  EXPECT_EQ(AnswerText(CreditCommand()), "94");
  EXPECT_EQ(AnswerText(CreditCommand()), "01\n150.50 credits");
}

class SimulatorRefusesFault : public SimulatorTest,
                              public testing::WithParamInterface<const char*> {};

TEST_P(SimulatorRefusesFault, WithBadRequestAndAReason) {
  const auto result = client_.Post("/control/fault", GetParam(), "application/json");
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 400);
  EXPECT_TRUE(Json::parse(result->body).contains("error"));
  EXPECT_TRUE(GetJson("/control/faults")["cgi"].empty());
}

INSTANTIATE_TEST_SUITE_P(Bodies, SimulatorRefusesFault,
                         testing::Values("", "not json", "[]", R"({"kind":"explode"})",
                                         R"({"kind":"http","status":200})",
                                         R"({"kind":"empty","count":0})"));

TEST_F(SimulatorWithFixture, ResetRestoresAccountsAndForgetsEverything) {
  const Json initial = GetJson("/control/accounts");
  AnswerText(Command(9, {}, {{"ORDERID", "ORD-1001"}, {"DEST", "+"}, {"SERIAL", Serial()}}));
  client_.Get(kProbe);
  AddFault({{"kind", "empty"}});
  ASSERT_NE(GetJson("/control/accounts"), initial);
  const auto reset = client_.Post("/control/reset", "", "application/json");
  ASSERT_TRUE(reset);
  EXPECT_EQ(reset->status, 204);
  EXPECT_EQ(GetJson("/control/accounts"), initial);
  EXPECT_EQ(GetJson("/control/requests"), Json::array());
  EXPECT_EQ(GetJson("/control/probes")["count"], 0);
  EXPECT_EQ(GetJson("/control/faults"), (Json{{"cgi", Json::array()}, {"probe", Json::array()}}));
}

TEST_F(SimulatorTest, AccountsShowTheLiveState) {
  const Json accounts = GetJson("/control/accounts");
  ASSERT_EQ(accounts["accounts"].size(), 1U);
  EXPECT_EQ(accounts["accounts"][0]["user"], "demo");
  EXPECT_EQ(accounts["accounts"][0]["credit"], 150.5);
  EXPECT_EQ(accounts["status_service"], true);
}

// HTTPS: the client trusts exactly the certificate the simulator made, verification on.
class SimulatorOverTls : public testing::Test {
 protected:
  static SimulatorConfig WithTls(std::shared_ptr<const TlsIdentity> identity) {
    SimulatorConfig config;
    config.tls = std::move(identity);
    return config;
  }

  SimulatorOverTls()
      : identity_(std::make_shared<TlsIdentity>(GenerateSelfSignedIdentity())),
        simulator_(WithTls(identity_)) {
    WriteCertificatePem(*identity_, ca_.path());
  }

  httplib::Result Post(const std::string& host, const std::filesystem::path& ca,
                       const std::string& body) {
    httplib::SSLClient client(host, simulator_.port());
    client.set_ca_cert_path(ca.string().c_str());
    client.enable_server_certificate_verification(true);
    return client.Post(kCgi, body, "text/plain");
  }

  std::shared_ptr<const TlsIdentity> identity_;
  SimulatorThread simulator_;
  TempFile ca_{"orvulink-sim-ca"};
};

TEST_F(SimulatorOverTls, AnswersAClientThatTrustsItsCertificate) {
  EXPECT_EQ(simulator_.Url(), "https://127.0.0.1:" + std::to_string(simulator_.port()));
  for (const char* host : {"127.0.0.1", "localhost"}) {
    const auto result = Post(host, ca_.path(), CreditCommand());
    ASSERT_TRUE(result) << host << ": " << httplib::to_string(result.error());
    EXPECT_EQ(Cut(result->body), "01\n150.50 credits");
  }
}

TEST_F(SimulatorOverTls, ClientTrustingAnotherCertificateRefusesIt) {
  TempFile other("orvulink-sim-other-ca");
  WriteCertificatePem(GenerateSelfSignedIdentity(), other.path());
  const auto result = Post("127.0.0.1", other.path(), CreditCommand());
  ASSERT_FALSE(result);
  EXPECT_EQ(result.error(), httplib::Error::SSLServerVerification);
}

TEST_F(SimulatorOverTls, DroppedConnectionIsATransportError) {
  simulator_.state().faults.Add(ParseFault("dropx1"));
  EXPECT_FALSE(Post("127.0.0.1", ca_.path(), CreditCommand()));
  EXPECT_TRUE(Post("127.0.0.1", ca_.path(), CreditCommand()));
}

void WriteKeyPem(const TlsIdentity& identity, const std::filesystem::path& path) {
  BIO* bio = BIO_new_file(path.string().c_str(), "w");
  ASSERT_NE(bio, nullptr);
  EXPECT_EQ(
      PEM_write_bio_PrivateKey(bio, identity.key.get(), nullptr, nullptr, 0, nullptr, nullptr), 1);
  BIO_free(bio);
}

TEST(TlsIdentityFiles, ServeTheCertificateTheyHold) {
  const TlsIdentity made = GenerateSelfSignedIdentity();
  TempFile certificate("orvulink-sim-cert");
  TempFile key("orvulink-sim-key");
  WriteCertificatePem(made, certificate.path());
  WriteKeyPem(made, key.path());
  SimulatorConfig config;
  config.tls = std::make_shared<TlsIdentity>(LoadIdentity(certificate.path(), key.path()));
  SimulatorThread simulator(std::move(config));
  httplib::SSLClient client("127.0.0.1", simulator.port());
  client.set_ca_cert_path(certificate.path().string().c_str());
  client.enable_server_certificate_verification(true);
  const auto result = client.Post(kCgi, CreditCommand(), "text/plain");
  ASSERT_TRUE(result) << httplib::to_string(result.error());
  EXPECT_EQ(Cut(result->body), "01\n150.50 credits");
}

TEST(TlsIdentityFiles, KeyOfAnotherCertificateIsRefused) {
  TempFile certificate("orvulink-sim-cert");
  TempFile key("orvulink-sim-key");
  WriteCertificatePem(GenerateSelfSignedIdentity(), certificate.path());
  WriteKeyPem(GenerateSelfSignedIdentity(), key.path());
  EXPECT_THROW(LoadIdentity(certificate.path(), key.path()), TlsError);
  EXPECT_THROW(LoadIdentity(certificate.path(), "/nonexistent/key.pem"), TlsError);
  EXPECT_THROW(LoadIdentity(key.path(), key.path()), TlsError);  // a key is no certificate
}

// A second simulator on a port in use must fail, not share the port with the first.
TEST(SimulatorBind, PortInUseIsAnError) {
  SimulatorThread first;
  Simulator second{SimulatorConfig{}};
  EXPECT_THROW(second.Bind("127.0.0.1", first.port()), std::runtime_error);
}

}  // namespace
}  // namespace orvulink::sim
