// Text from this host (arguments, files) made fit for the control, which was written for
// Windows hosts: UTF-8 checked, line breaks as CR LF.
#pragma once

#include <string>
#include <string_view>

namespace orvulink::cli {

// Whether `text` is well-formed UTF-8. The control would turn every bad byte into U+FFFD and
// then drop it as a character SMS cannot carry, so a Latin-1 file would lose its accented
// letters without a word; callers refuse such text instead.
bool IsValidUtf8(std::string_view text);

// Every lone LF becomes CR LF. The control keeps a line break only as CR LF (stored as CR) and
// deletes a bare LF, which would glue the two lines together.
std::string WithCrLfLineBreaks(std::string_view text);

}  // namespace orvulink::cli
