// The command line of orvulink-gateway, parsed into a typed configuration.
#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "sim/fault.hpp"

namespace orvulink::sim {

struct Options {
  std::string host = "127.0.0.1";
  int port = 0;
  bool tls = false;
  std::optional<std::filesystem::path> write_ca;
  std::optional<std::filesystem::path> certificate;
  std::optional<std::filesystem::path> key;
  std::optional<std::filesystem::path> accounts;
  std::string serial;
  std::vector<Fault> faults;
};

// Thrown for a command line that parses but makes no sense.
class OptionsError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "127.0.0.1:PORT" or "localhost:PORT" (read as 127.0.0.1): the simulator is a loopback tool.
void ParseListen(const std::string& text, Options& options);

// Parses argv. Returns nothing after --help (the text went to stdout); CLI11's own errors and
// OptionsError are thrown with a message for standard error.
std::optional<Options> ParseOptions(int argc, const char* const* argv);

}  // namespace orvulink::sim
