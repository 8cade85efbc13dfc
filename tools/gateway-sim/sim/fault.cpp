#include "sim/fault.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <set>
#include <utility>

namespace orvulink::sim {
namespace {

using nlohmann::json;

constexpr std::array<std::pair<std::string_view, FaultKind>, 6> kKindNames = {{
    {"empty", FaultKind::kEmpty},
    {"garbage", FaultKind::kGarbage},
    {"code", FaultKind::kCode},
    {"delay", FaultKind::kDelay},
    {"http", FaultKind::kHttp},
    {"drop", FaultKind::kDrop},
}};

constexpr long long kLongestDelayMs = 600'000;
constexpr unsigned long long kLargestCount = 1'000'000;

std::optional<FaultKind> KindFromName(std::string_view name) {
  for (const auto& [kind_name, kind] : kKindNames) {
    if (kind_name == name) return kind;
  }
  return std::nullopt;
}

std::string_view KindName(FaultKind kind) {
  for (const auto& [kind_name, each] : kKindNames) {
    if (each == kind) return kind_name;
  }
  return "?";
}

std::optional<unsigned long long> ParseNumber(std::string_view text) {
  unsigned long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

unsigned long long RequireNumber(std::string_view text, std::string_view what) {
  const auto value = ParseNumber(text);
  if (!value) throw FaultError(std::string(what) + " must be a decimal number");
  return *value;
}

// The checks both spellings share, so they cannot drift apart.
void Validate(const Fault& fault) {
  if (fault.kind == FaultKind::kCode && fault.code.size() != 2) {
    throw FaultError("a result code has two characters");
  }
  if (fault.kind == FaultKind::kHttp && (fault.status < 400 || fault.status > 599)) {
    throw FaultError("an HTTP status must lie between 400 and 599");
  }
  if (fault.delay.count() < 0 || fault.delay.count() > kLongestDelayMs) {
    throw FaultError("a delay lies between 0 and 600000 ms");
  }
  if (fault.count && (*fault.count == 0 || *fault.count > kLargestCount)) {
    throw FaultError("a count lies between 1 and 1000000");
  }
}

std::string_view TakeTarget(std::string_view text, Fault& fault) {
  for (const auto target : {FaultTarget::kCgi, FaultTarget::kProbe}) {
    const std::string prefix = std::string(TargetName(target)) + ":";
    if (text.starts_with(prefix)) {
      fault.target = target;
      return text.substr(prefix.size());
    }
  }
  return text;
}

std::string_view TakeCount(std::string_view text, Fault& fault) {
  const std::size_t x = text.rfind('x');
  if (x == std::string_view::npos || x == 0) return text;
  const auto count = ParseNumber(text.substr(x + 1));
  if (!count) return text;
  fault.count = static_cast<unsigned>(std::min(*count, kLargestCount + 1));
  return text.substr(0, x);
}

void ApplyArgument(std::optional<std::string_view> argument, Fault& fault) {
  const bool wants_argument = fault.kind == FaultKind::kCode || fault.kind == FaultKind::kDelay ||
                              fault.kind == FaultKind::kHttp;
  if (wants_argument != argument.has_value()) {
    throw FaultError(std::string("the fault \"") + std::string(KindName(fault.kind)) +
                     (wants_argument ? "\" needs a value" : "\" takes no value"));
  }
  if (fault.kind == FaultKind::kCode) {
    const std::size_t colon = argument->find(':');
    fault.code = std::string(argument->substr(0, colon));
    if (colon != std::string_view::npos) fault.payload = std::string(argument->substr(colon + 1));
  } else if (fault.kind == FaultKind::kDelay) {
    const auto ms = std::min(RequireNumber(*argument, "a delay"), 1ULL + kLongestDelayMs);
    fault.delay = std::chrono::milliseconds(static_cast<long long>(ms));
  } else if (fault.kind == FaultKind::kHttp) {
    fault.status = static_cast<int>(std::min(RequireNumber(*argument, "a status"), 1000ULL));
  }
}

// The keys each kind reads besides "target", "kind" and "count".
std::set<std::string> KeysOf(FaultKind kind) {
  switch (kind) {
    case FaultKind::kCode:
      return {"code", "payload"};
    case FaultKind::kHttp:
      return {"status"};
    case FaultKind::kDelay:
      return {"delay_ms"};
    default:
      return {};
  }
}

void RefuseUnusedKeys(const json& object, FaultKind kind) {
  std::set<std::string> allowed = KeysOf(kind);
  allowed.insert({"target", "kind", "count"});
  for (const auto& [key, value] : object.items()) {
    if (!allowed.contains(key)) {
      throw FaultError("the key \"" + key + "\" does not belong to a \"" +
                       std::string(KindName(kind)) + "\" fault");
    }
  }
}

// An integer key, read wide so that an out-of-range value is refused rather than wrapped.
long long Integer(const json& object, const char* key, long long fallback) {
  if (!object.contains(key) || object.at(key).is_null()) return fallback;
  if (!object.at(key).is_number_integer()) {
    throw FaultError(std::string("\"") + key + "\" must be an integer");
  }
  return object.at(key).get<long long>();
}

std::string Text(const json& object, const char* key) {
  return object.contains(key) ? object.at(key).get<std::string>() : std::string();
}

FaultKind KindOf(const json& object) {
  const std::string name = object.at("kind").get<std::string>();
  const auto kind = KindFromName(name);
  if (!kind) throw FaultError("unknown fault kind \"" + name + "\"");
  return *kind;
}

Fault FaultFromCheckedJson(const json& object) {
  Fault fault;
  fault.kind = KindOf(object);
  RefuseUnusedKeys(object, fault.kind);
  const auto target = TargetFromName(object.contains("target") ? Text(object, "target") : "cgi");
  if (!target) throw FaultError("the target is \"cgi\" or \"probe\"");
  fault.target = *target;
  fault.code = Text(object, "code");
  fault.payload = Text(object, "payload");
  fault.status = static_cast<int>(std::clamp(Integer(object, "status", 0), -1LL, 1000LL));
  fault.delay = std::chrono::milliseconds(Integer(object, "delay_ms", -1));
  if (fault.kind != FaultKind::kDelay) fault.delay = std::chrono::milliseconds(0);
  if (object.contains("count") && !object.at("count").is_null()) {
    // Out of range becomes 0 or one past the largest, which Validate() refuses.
    const long long past_largest = static_cast<long long>(kLargestCount) + 1;
    fault.count = static_cast<unsigned>(std::clamp(Integer(object, "count", 0), 0LL, past_largest));
  }
  return fault;
}

}  // namespace

std::string_view TargetName(FaultTarget target) {
  return target == FaultTarget::kProbe ? "probe" : "cgi";
}

std::optional<FaultTarget> TargetFromName(std::string_view name) {
  if (name == "cgi") return FaultTarget::kCgi;
  if (name == "probe") return FaultTarget::kProbe;
  return std::nullopt;
}

Fault ParseFault(std::string_view text) {
  Fault fault;
  text = TakeCount(TakeTarget(text, fault), fault);
  const std::size_t equals = text.find('=');
  const auto kind = KindFromName(text.substr(0, equals));
  if (!kind) throw FaultError("unknown fault \"" + std::string(text.substr(0, equals)) + "\"");
  fault.kind = *kind;
  std::optional<std::string_view> argument;
  if (equals != std::string_view::npos) argument = text.substr(equals + 1);
  ApplyArgument(argument, fault);
  Validate(fault);
  return fault;
}

Fault FaultFromJson(const json& object) {
  if (!object.is_object()) throw FaultError("a fault is a JSON object");
  try {
    Fault fault = FaultFromCheckedJson(object);
    Validate(fault);
    return fault;
  } catch (const json::exception& e) {
    throw FaultError(std::string("fault: ") + e.what());
  }
}

json FaultToJson(const Fault& fault) {
  json object = {{"target", TargetName(fault.target)}, {"kind", KindName(fault.kind)}};
  if (fault.kind == FaultKind::kCode) {
    object["code"] = fault.code;
    object["payload"] = fault.payload;
  }
  if (fault.kind == FaultKind::kHttp) object["status"] = fault.status;
  if (fault.kind == FaultKind::kDelay) object["delay_ms"] = fault.delay.count();
  if (fault.count) object["count"] = *fault.count;
  return object;
}

}  // namespace orvulink::sim
