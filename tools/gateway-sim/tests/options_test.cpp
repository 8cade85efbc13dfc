#include "sim/options.hpp"

#include <gtest/gtest.h>
#include <CLI/Error.hpp>

#include <initializer_list>
#include <vector>

#include "sim/gateway.hpp"

namespace orvulink::sim {
namespace {

std::optional<Options> Parse(std::initializer_list<const char*> arguments) {
  std::vector<const char*> argv = {"orvulink-gateway"};
  argv.insert(argv.end(), arguments);
  return ParseOptions(static_cast<int>(argv.size()), argv.data());
}

TEST(Options, DefaultsServeTheDemoOverHttpOnAFreePort) {
  const Options options = *Parse({});
  EXPECT_EQ(options.host, "127.0.0.1");
  EXPECT_EQ(options.port, 0);
  EXPECT_FALSE(options.tls);
  EXPECT_FALSE(options.accounts);
  EXPECT_EQ(options.serial, kDefaultSerial);
  EXPECT_TRUE(options.faults.empty());
}

TEST(Options, ReadsEveryOption) {
  const Options options =
      *Parse({"--listen", "localhost:8443", "--tls", "--write-ca", "ca.pem", "--cert", "c.pem",
              "--key", "k.pem", "--accounts", "a.json", "--serial", "S", "--fault", "emptyx2",
              "--fault", "probe:http=404"});
  EXPECT_EQ(options.host, "127.0.0.1");
  EXPECT_EQ(options.port, 8443);
  EXPECT_TRUE(options.tls);
  EXPECT_EQ(options.write_ca, "ca.pem");
  EXPECT_EQ(options.certificate, "c.pem");
  EXPECT_EQ(options.key, "k.pem");
  EXPECT_EQ(options.accounts, "a.json");
  EXPECT_EQ(options.serial, "S");
  ASSERT_EQ(options.faults.size(), 2U);
  EXPECT_EQ(options.faults[1].target, FaultTarget::kProbe);
  EXPECT_EQ(options.faults[1].status, 404);
}

class ListenRefused : public testing::TestWithParam<const char*> {};

TEST_P(ListenRefused, NotALoopbackPort) {
  Options options;
  EXPECT_THROW(ParseListen(GetParam(), options), OptionsError);
}

INSTANTIATE_TEST_SUITE_P(Addresses, ListenRefused,
                         testing::Values("8080", "0.0.0.0:8080", "192.168.1.2:80", ":80",
                                         "127.0.0.1:", "127.0.0.1:65536", "127.0.0.1:-1",
                                         "127.0.0.1:80x", "example.com:80"));

TEST(Options, CertificateFilesNeedTls) {
  EXPECT_THROW(Parse({"--cert", "c.pem", "--key", "k.pem"}), OptionsError);
  EXPECT_THROW(Parse({"--write-ca", "ca.pem"}), OptionsError);
}

TEST(Options, CertificateAndKeyGoTogether) {
  EXPECT_THROW(Parse({"--tls", "--cert", "c.pem"}), CLI::ParseError);
  EXPECT_THROW(Parse({"--tls", "--key", "k.pem"}), CLI::ParseError);
}

TEST(Options, BadFaultIsNamedInTheError) {
  try {
    Parse({"--fault", "code=9"});
    FAIL() << "no error";
  } catch (const OptionsError& e) {
    EXPECT_NE(std::string(e.what()).find("code=9"), std::string::npos);
  }
}

TEST(Options, UnknownOptionIsAParseError) {
  EXPECT_THROW(Parse({"--port", "80"}), CLI::ParseError);
}

}  // namespace
}  // namespace orvulink::sim
