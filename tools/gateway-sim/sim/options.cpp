#include "sim/options.hpp"

#include <CLI/CLI.hpp>

#include <charconv>

#include "sim/gateway.hpp"

namespace orvulink::sim {
namespace {

struct RawOptions {
  std::string listen = "127.0.0.1:0";
  bool tls = false;
  std::string write_ca, certificate, key, accounts;
  std::string serial = std::string(kDefaultSerial);
  std::vector<std::string> faults;
};

void Describe(CLI::App& app, RawOptions& raw) {
  app.add_option("--listen", raw.listen, "Loopback address HOST:PORT; port 0 picks a free one")
      ->capture_default_str();
  app.add_flag("--tls", raw.tls, "Serve HTTPS with a self-signed certificate made for this run");
  app.add_option("--write-ca", raw.write_ca, "Write the certificate (PEM) for ORVULINK_CA_FILE");
  auto* cert = app.add_option("--cert", raw.certificate, "Certificate PEM to serve instead");
  auto* key = app.add_option("--key", raw.key, "Private key PEM of --cert");
  cert->needs(key);
  key->needs(cert);
  app.add_option("--accounts", raw.accounts, "Accounts fixture (JSON); default: the demo account");
  app.add_option("--serial", raw.serial, "Serial token the gateway accepts")->capture_default_str();
  app.add_option("--fault", raw.faults,
                 "Fault to inject, repeatable: [cgi:|probe:]KIND[=ARG][xN] (see README)");
}

std::optional<std::filesystem::path> PathOrNone(const std::string& text) {
  if (text.empty()) return std::nullopt;
  return std::filesystem::path(text);
}

Options Interpret(const RawOptions& raw) {
  Options options;
  ParseListen(raw.listen, options);
  options.tls = raw.tls;
  options.write_ca = PathOrNone(raw.write_ca);
  options.certificate = PathOrNone(raw.certificate);
  options.key = PathOrNone(raw.key);
  options.accounts = PathOrNone(raw.accounts);
  options.serial = raw.serial;
  if (!options.tls && (options.write_ca || options.certificate)) {
    throw OptionsError("--write-ca, --cert and --key need --tls");
  }
  for (const auto& text : raw.faults) {
    try {
      options.faults.push_back(ParseFault(text));
    } catch (const FaultError& e) {
      throw OptionsError("--fault " + text + ": " + e.what());
    }
  }
  return options;
}

}  // namespace

void ParseListen(const std::string& text, Options& options) {
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) throw OptionsError("--listen wants HOST:PORT");
  const std::string host = text.substr(0, colon);
  if (host != "127.0.0.1" && host != "localhost") {
    throw OptionsError("--listen: the simulator listens on 127.0.0.1 (or localhost) only");
  }
  const std::string port = text.substr(colon + 1);
  int value = -1;
  const auto [end, error] = std::from_chars(port.data(), port.data() + port.size(), value);
  if (port.empty() || error != std::errc() || end != port.data() + port.size() || value < 0 ||
      value > 65535) {
    throw OptionsError("--listen: the port is a number from 0 to 65535");
  }
  options.host = "127.0.0.1";
  options.port = value;
}

std::optional<Options> ParseOptions(int argc, const char* const* argv) {
  CLI::App app("OrvuLink gateway simulator: the gateway protocol on loopback", "orvulink-gateway");
  RawOptions raw;
  Describe(app, raw);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return std::nullopt;
  }
  return Interpret(raw);
}

}  // namespace orvulink::sim
