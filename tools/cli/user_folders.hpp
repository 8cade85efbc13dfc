// The per-user folders of the XDG base directory rules.
#pragma once

#include <filesystem>

namespace orvulink::cli {

// $variable when it is an absolute path (the rules ignore a relative one), else
// $HOME/fallback; empty when neither gives a place.
std::filesystem::path XdgFolder(const char* variable, const std::filesystem::path& fallback);

}  // namespace orvulink::cli
