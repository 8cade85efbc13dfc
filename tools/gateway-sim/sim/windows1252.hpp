// Windows-1252, the gateway's code page, to and from UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace orvulink::sim {

// Every byte becomes one character. The five bytes the code page leaves unassigned map to the
// control characters of the same value, as Windows itself maps them, so nothing is lost.
std::string Utf8FromWindows1252(std::string_view bytes);

// Every character becomes one byte; a character the code page cannot hold becomes "?".
std::string Windows1252FromUtf8(std::string_view text);

}  // namespace orvulink::sim
