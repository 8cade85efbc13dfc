#include "phone_prefix.hpp"

namespace orvulink::cli {
namespace {

constexpr std::size_t kNamedAtMost = 5;

std::string_view WithoutSpaces(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

std::vector<UnprefixedNumber> ApplyDefaultCountry(std::vector<Outgoing>& outgoing,
                                                  const std::string& country) {
  std::vector<UnprefixedNumber> refused;
  for (Outgoing& item : outgoing) {
    for (std::string& phone : item.phones) {
      const std::string_view number = WithoutSpaces(phone);
      if (number.starts_with('+') || number.starts_with("00")) continue;
      const bool trunk_zero = number.starts_with('0');
      if (country.empty() || trunk_zero) {
        refused.push_back({phone, trunk_zero});
      } else {
        phone = "+" + country + std::string(number);
      }
    }
  }
  return refused;
}

std::string UnprefixedMessage(const std::vector<UnprefixedNumber>& refused,
                              const std::string& country) {
  std::string names;
  for (std::size_t i = 0; i < refused.size() && i < kNamedAtMost; ++i)
    names += (i == 0 ? "" : ", ") + refused[i].phone;
  if (refused.size() > kNamedAtMost) {
    names += " and " + std::to_string(refused.size() - kNamedAtMost) + " more";
  }
  std::string message = names + ": no international prefix (+ or 00)";
  if (country.empty()) {
    return message + "; the number would be read as \"+" + refused.front().phone +
           "\". Write it as +COUNTRY NUMBER, or set a default country code (orvulink config "
           "set DefaultCountry=39); nothing was sent";
  }
  return message + ", and a leading 0 is a national trunk prefix the default country code " +
         country + " cannot replace; write it as +COUNTRY NUMBER; nothing was sent";
}

}  // namespace orvulink::cli
