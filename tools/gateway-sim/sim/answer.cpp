#include "sim/answer.hpp"

#include "sim/windows1252.hpp"

namespace orvulink::sim {

std::string Answer::Text() const {
  return payload.empty() ? code : code + separator + payload;
}

Answer Success(std::string payload) {
  return Answer{std::string(result_code::kSuccess), std::move(payload)};
}

Answer Failure(std::string_view code) {
  return Answer{std::string(code), {}};
}

std::string FramePage(const Answer& answer) {
  return FrameText(answer.Text());
}

std::string FrameText(std::string_view utf8_text) {
  std::string page;
  page.reserve(kPageHead.size() + utf8_text.size() + kPageTail.size());
  page.append(kPageHead).append(Windows1252FromUtf8(utf8_text)).append(kPageTail);
  return page;
}

}  // namespace orvulink::sim
