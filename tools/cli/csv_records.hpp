// CSV records as RFC 4180 has them, read leniently where files in the wild differ: LF or CR LF
// line ends, an optional UTF-8 byte order mark, blank lines skipped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvulink::cli {

struct CsvRecord {
  std::size_t line = 0;  // where the record starts, 1-based
  std::vector<std::string> fields;
};

// Every record of `content`. Throws CsvError for a quoted field that is not closed or is
// followed by anything but a comma or a line end.
std::vector<CsvRecord> ReadCsvRecords(std::string_view content);

}  // namespace orvulink::cli
