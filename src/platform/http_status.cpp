// Reason phrases of HTTP status codes. The answer's own status line is not used: HTTP/2 has
// none, and servers word it freely, while hosts compare the text with "OK" and "Unauthorized".
#include "platform/http_status.hpp"

#include <algorithm>
#include <array>
#include <utility>

namespace orvulink::platform {
namespace {

using Phrase = std::pair<long, std::string_view>;

// Sorted by code, for the binary search.
constexpr std::array kPhrases = {
    Phrase{100, "Continue"},
    Phrase{101, "Switching Protocols"},
    Phrase{200, "OK"},
    Phrase{201, "Created"},
    Phrase{202, "Accepted"},
    Phrase{203, "Non-Authoritative Information"},
    Phrase{204, "No Content"},
    Phrase{205, "Reset Content"},
    Phrase{206, "Partial Content"},
    Phrase{300, "Multiple Choices"},
    Phrase{301, "Moved Permanently"},
    Phrase{302, "Found"},
    Phrase{303, "See Other"},
    Phrase{304, "Not Modified"},
    Phrase{305, "Use Proxy"},
    Phrase{307, "Temporary Redirect"},
    Phrase{308, "Permanent Redirect"},
    Phrase{400, "Bad Request"},
    Phrase{401, "Unauthorized"},
    Phrase{402, "Payment Required"},
    Phrase{403, "Forbidden"},
    Phrase{404, "Not Found"},
    Phrase{405, "Method Not Allowed"},
    Phrase{406, "Not Acceptable"},
    Phrase{407, "Proxy Authentication Required"},
    Phrase{408, "Request Timeout"},
    Phrase{409, "Conflict"},
    Phrase{410, "Gone"},
    Phrase{411, "Length Required"},
    Phrase{412, "Precondition Failed"},
    Phrase{413, "Content Too Large"},
    Phrase{414, "URI Too Long"},
    Phrase{415, "Unsupported Media Type"},
    Phrase{416, "Range Not Satisfiable"},
    Phrase{417, "Expectation Failed"},
    Phrase{421, "Misdirected Request"},
    Phrase{422, "Unprocessable Content"},
    Phrase{425, "Too Early"},
    Phrase{426, "Upgrade Required"},
    Phrase{428, "Precondition Required"},
    Phrase{429, "Too Many Requests"},
    Phrase{431, "Request Header Fields Too Large"},
    Phrase{451, "Unavailable For Legal Reasons"},
    Phrase{500, "Internal Server Error"},
    Phrase{501, "Not Implemented"},
    Phrase{502, "Bad Gateway"},
    Phrase{503, "Service Unavailable"},
    Phrase{504, "Gateway Timeout"},
    Phrase{505, "HTTP Version Not Supported"},
    Phrase{511, "Network Authentication Required"},
};

static_assert(std::is_sorted(kPhrases.begin(), kPhrases.end(),
                             [](const Phrase& a, const Phrase& b) { return a.first < b.first; }));

}  // namespace

std::string_view HttpReasonPhrase(long status) {
  const auto found =
      std::lower_bound(kPhrases.begin(), kPhrases.end(), status,
                       [](const Phrase& phrase, long code) { return phrase.first < code; });
  if (found == kPhrases.end() || found->first != status) return {};
  return found->second;
}

}  // namespace orvulink::platform
