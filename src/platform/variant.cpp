// Variant::ToText: the text an automation conversion gives for each kind of value.
#include <orvulink/automation.hpp>

#include "platform/runtime_error.hpp"
#include "platform/text.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <string>

namespace orvulink {
namespace {

constexpr int kSignificantDigits = 15;
// Magnitudes outside [1E-05, 1E+15) are written with an exponent.
constexpr int kSmallestPlainExponent = -5;
constexpr int kLargestPlainExponent = 14;

// The significant digits of |value| rounded to 15, trailing zeros dropped, and the decimal
// exponent of the first digit.
struct Decimal {
  std::string digits;
  int exponent = 0;
};

Decimal ToDecimalDigits(double magnitude) {
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                    std::chars_format::scientific, kSignificantDigits - 1);
  const std::string text(buffer.data(), result.ptr);  // "d.dddddddddddddde+XX"
  const auto e = text.find('e');
  Decimal decimal;
  decimal.digits = text.substr(0, 1) + text.substr(2, e - 2);
  decimal.exponent = std::atoi(text.c_str() + e + 1);
  decimal.digits.erase(decimal.digits.find_last_not_of('0') + 1);
  return decimal;
}

std::string WithExponent(const Decimal& d) {
  std::string text = d.digits.substr(0, 1);
  if (d.digits.size() > 1) text += "." + d.digits.substr(1);
  const int magnitude = std::abs(d.exponent);
  text += d.exponent < 0 ? "E-" : "E+";
  if (magnitude < 10) text += '0';
  return text + std::to_string(magnitude);
}

std::string Plain(const Decimal& d) {
  if (d.exponent < 0) return "0." + std::string(-d.exponent - 1, '0') + d.digits;
  const auto integerDigits = static_cast<std::size_t>(d.exponent) + 1;
  if (d.digits.size() <= integerDigits)
    return d.digits + std::string(integerDigits - d.digits.size(), '0');
  return d.digits.substr(0, integerDigits) + "." + d.digits.substr(integerDigits);
}

std::string DoubleText(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";
  if (value == 0.0) return "0";
  const Decimal d = ToDecimalDigits(std::fabs(value));
  const bool plain = d.exponent >= kSmallestPlainExponent && d.exponent <= kLargestPlainExponent;
  return (value < 0 ? "-" : "") + (plain ? Plain(d) : WithExponent(d));
}

struct TextOf {
  BStr operator()(Empty) const { return {}; }
  BStr operator()(std::int16_t v) const { return platform::ToDecimal(v); }
  BStr operator()(std::int32_t v) const { return platform::ToDecimal(v); }
  BStr operator()(double v) const { return DoubleText(v); }
  BStr operator()(const BStr& v) const { return v; }
  BStr operator()(VariantBool v) const { return v.IsTrue() ? "True" : "False"; }
  BStr operator()(Date v) const { return v.FormatGeneral(); }
  BStr operator()(const std::shared_ptr<AutomationObject>&) const {
    platform::RaiseRuntimeError(platform::kErrTypeMismatch);
  }
};

}  // namespace

AutomationObject::~AutomationObject() = default;

BStr Variant::ToText() const {
  return std::visit(TextOf{}, value_);
}

}  // namespace orvulink
