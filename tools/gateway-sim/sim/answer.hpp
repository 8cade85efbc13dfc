// The gateway's answer: result code, payload and the page that frames them.
#pragma once

#include <string>
#include <string_view>

namespace orvulink::sim {

namespace result_code {
inline constexpr std::string_view kSuccess = "01";
inline constexpr std::string_view kGatewayMessage = "00";
inline constexpr std::string_view kMessageWrong = "89";
inline constexpr std::string_view kAutoresponder = "93";
inline constexpr std::string_view kVapCode = "94";
inline constexpr std::string_view kInsufficientCredit = "97";
inline constexpr std::string_view kCgiError = "98";
inline constexpr std::string_view kAuthentication = "99";
}  // namespace result_code

// Clients cut exactly this many characters off each end of the page.
inline constexpr std::string_view kPageHead = "<html>\r\n<body>\r\n";
inline constexpr std::string_view kPageTail = "\r\n</body>\r\n</html>\r\n";
static_assert(kPageHead.size() == 16 && kPageTail.size() == 20);

inline constexpr char kAnswerContentType[] = "text/html; charset=windows-1252";

struct Answer {
  std::string code;     // two characters
  std::string payload;  // UTF-8
  // Between code and payload; the send command's client reads its records after a space.
  char separator = '\n';

  // Code, separator, payload. Without a payload the code stands alone, so a client that reads the
  // page's body as a number (the connection test) sees nothing but digits.
  std::string Text() const;
};

Answer Success(std::string payload);
Answer Failure(std::string_view code);

// The whole page in Windows-1252, ready to send.
std::string FramePage(const Answer& answer);
std::string FrameText(std::string_view utf8_text);

}  // namespace orvulink::sim
