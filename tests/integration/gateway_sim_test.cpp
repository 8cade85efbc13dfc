// The gateway simulator over real HTTP(S) on loopback: framing, commands, faults, control.
#include <unistd.h>

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
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

SimulatorConfig WithOrdersAndLatin1User() {
  SimulatorConfig config;
  config.accounts = LoadFixtureFile(ORVULINK_SIM_EXAMPLE_ACCOUNTS);
  return config;
}

class SimulatorWithFixture : public SimulatorTest {
 protected:
  SimulatorWithFixture() : SimulatorTest(WithOrdersAndLatin1User()) {}
};

TEST_F(SimulatorWithFixture, PagesAreFramedWindows1252Html) {
  const Credentials latin1{"universit\u00e0", "p\u00e4ssw\u00f6rd\u20ac"};
  const auto result = Send(Command(7, latin1, {{"SERIAL", Serial()}}));
  ASSERT_TRUE(result);
  EXPECT_EQ(result->status, 200);
  EXPECT_EQ(result->get_header_value("Content-Type"), "text/html; charset=windows-1252");
  EXPECT_EQ(result->body.substr(0, 16), kHead);
  EXPECT_EQ(result->body.substr(result->body.size() - 20), kTail);
  EXPECT_EQ(Cut(result->body), "01\nuniversit\xE0\tS\t0.00\tIT\tN\t1\tN\tINFO,");
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

// Each kind answers as it says for its count, is logged like any request, then expires.
TEST_F(SimulatorTest, CgiFaultsApplyToTheirCountThenExpire) {
  const struct {
    Json fault;
    int status;          // 0: no answer at all
    std::string answer;  // the page's text, when the status is 200; "?" for garbage
  } cases[] = {
      {{{"kind", "empty"}}, 200, ""},
      {{{"kind", "garbage"}}, 200, "?"},
      {{{"kind", "code"}, {"code", "00"}, {"payload", "<pre>Closed</pre>"}},
       200,
       "00\n<pre>Closed</pre>"},
      {{{"kind", "http"}, {"status", 401}}, 401, ""},
      {{{"kind", "drop"}}, 0, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault.dump());
    const auto reset = client_.Post("/control/reset", "", "application/json");
    ASSERT_TRUE(reset && reset->status == 204);
    Json fault = c.fault;
    fault["count"] = 2;
    AddFault(fault);
    for (int i = 0; i < 2; ++i) {
      const auto result = Send(CreditCommand());
      if (c.status == 0) {
        EXPECT_FALSE(result);
        continue;
      }
      ASSERT_TRUE(result) << httplib::to_string(result.error());
      EXPECT_EQ(result->status, c.status);
      const std::string text = Cut(result->body);
      if (c.status != 200) {
        EXPECT_FALSE(result->body.empty());
      } else if (c.answer == "?") {
        ASSERT_GE(text.size(), 2U);
        EXPECT_FALSE(std::isdigit(static_cast<unsigned char>(text[0])) &&
                     std::isdigit(static_cast<unsigned char>(text[1])))
            << text;
      } else {
        EXPECT_EQ(text, c.answer);
      }
    }
    EXPECT_EQ(AnswerText(CreditCommand()), "01\n150.50 credits");
    EXPECT_EQ(GetJson("/control/requests").size(), 3U);
  }
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

TEST_F(SimulatorTest, ProbeFaultsLeaveTheCgiAloneAndEveryProbeIsCounted) {
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
  const auto normal = client_.Get(kProbe);  // an HTML page once the faults are spent
  ASSERT_TRUE(normal);
  EXPECT_EQ(normal->status, 200);
  EXPECT_NE(normal->body.find("<body>"), std::string::npos);
  EXPECT_NE(normal->body.find("online"), std::string::npos);
  EXPECT_EQ(GetJson("/control/probes")["count"], 4);
}

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

// A second simulator on a port in use must fail, not share the port with the first.
TEST(SimulatorBind, PortInUseIsAnError) {
  SimulatorThread first;
  Simulator second{SimulatorConfig{}};
  EXPECT_THROW(second.Bind("127.0.0.1", first.port()), std::runtime_error);
}

}  // namespace
}  // namespace orvulink::sim
