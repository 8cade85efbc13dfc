// The help text's option column as a person reads it: the option and its value's name, without
// the parser's own notes (validator names, "Excludes:", "REQUIRED"), which the descriptions
// already say in words.
#pragma once

#include <CLI/CLI.hpp>

#include <string>

namespace orvulink::cli {

class PlainHelpFormatter : public CLI::Formatter {
 public:
  std::string make_option_opts(const CLI::Option* option) const override;
};

}  // namespace orvulink::cli
