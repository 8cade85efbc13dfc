// A fault the simulator injects into its answers, and its two spellings: the command-line
// form ("probe:http=404x2") and the control endpoint's JSON.
#pragma once

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace orvulink::sim {

enum class FaultTarget { kCgi, kProbe };

enum class FaultKind {
  kEmpty,    // 200 with an empty body
  kGarbage,  // a page whose cut text starts with no result code
  kCode,     // a framed answer with the chosen code and payload
  kDelay,    // the normal answer, late
  kHttp,     // an HTTP error status with a small body
  kDrop,     // the connection closes in the middle of the answer
};

struct Fault {
  FaultTarget target = FaultTarget::kCgi;
  FaultKind kind = FaultKind::kEmpty;
  std::string code;     // kCode: two characters
  std::string payload;  // kCode: may be empty
  int status = 0;       // kHttp: 400 to 599
  std::chrono::milliseconds delay{0};
  std::optional<unsigned> count;  // requests it applies to; none = until cleared
};

class FaultError : public std::invalid_argument {
 public:
  using std::invalid_argument::invalid_argument;
};

// «[cgi:|probe:]KIND[=ARG][xN]»: empty, garbage, drop, code=CC[:PAYLOAD], delay=MS,
// http=STATUS. A trailing "x" and digits is always the count. Throws FaultError.
Fault ParseFault(std::string_view text);

// {"target", "kind", "code", "payload", "status", "delay_ms", "count"}; a key the kind does not
// use is refused, so a misspelt one cannot pass unnoticed. Throws FaultError.
Fault FaultFromJson(const nlohmann::json& object);
nlohmann::json FaultToJson(const Fault& fault);

std::string_view TargetName(FaultTarget target);
std::optional<FaultTarget> TargetFromName(std::string_view name);

}  // namespace orvulink::sim
