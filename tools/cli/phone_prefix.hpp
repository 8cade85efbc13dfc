// Recipients in international form before the component sees them. The component puts "+" in
// front of any number, so a national "3331234567" would go to country 333 without a word.
#pragma once

#include <string>
#include <vector>

#include "send_batches.hpp"

namespace orvulink::cli {

struct UnprefixedNumber {
  std::string phone;
  bool trunk_zero;  // starts with a national trunk 0, which a country code cannot fix
};

// Gives every number without "+" or "00" the default country code `country` (digits, "" for
// none) and returns those it could not fix: all of them without a country code, and those
// starting with a single 0 with one.
std::vector<UnprefixedNumber> ApplyDefaultCountry(std::vector<Outgoing>& outgoing,
                                                  const std::string& country);

// The usage error's text for `refused`, naming at most a few numbers.
std::string UnprefixedMessage(const std::vector<UnprefixedNumber>& refused,
                              const std::string& country);

}  // namespace orvulink::cli
