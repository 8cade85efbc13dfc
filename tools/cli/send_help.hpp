// The rules of a message that `orvulink send --help` states, taken from the component itself.
#pragma once

#include <string>

namespace orvulink::cli {

std::string SendRulesHelp();

}  // namespace orvulink::cli
