// Answer bodies as text, shared by every system's HTTP client and probe browser.
#include "platform/page_text.hpp"

#include "platform/runtime_error.hpp"
#include "platform/text.hpp"

#include <algorithm>
#include <string>

namespace orvulink::platform {
namespace {

char FoldAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

// The value of the charset parameter of a Content-Type, lower case, quotes removed.
std::string CharsetOf(std::string_view contentType) {
  std::string folded(contentType.size(), '\0');
  std::transform(contentType.begin(), contentType.end(), folded.begin(), FoldAscii);
  const std::string_view key = "charset=";
  const auto at = folded.find(key);
  if (at == std::string::npos) return {};
  std::string value = folded.substr(at + key.size());
  value = value.substr(0, value.find_first_of("; \t"));
  std::erase(value, '"');
  return value;
}

std::size_t FindTag(std::u16string_view page, std::u16string_view name, std::size_t from) {
  const auto folded = [](char16_t c) { return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c; };
  for (std::size_t at = from; at + name.size() <= page.size(); ++at) {
    if (!std::equal(name.begin(), name.end(), page.begin() + static_cast<std::ptrdiff_t>(at),
                    [&](char16_t n, char16_t p) { return n == folded(p); })) {
      continue;
    }
    const std::size_t after = at + name.size();
    if (after == page.size() ||
        std::u16string_view(u"> \t\r\n/").find(page[after]) != std::u16string_view::npos) {
      return at;
    }
  }
  return std::u16string_view::npos;
}

std::u16string WithoutTags(std::u16string_view text) {
  std::u16string out;
  out.reserve(text.size());
  bool inTag = false;
  for (char16_t c : text) {
    if (c == u'<') inTag = true;
    if (!inTag) out.push_back(c);
    if (c == u'>') inTag = false;
  }
  return out;
}

}  // namespace

std::u16string DecodeAnswerBody(std::string_view bytes, std::string_view contentType) {
  const std::string charset = CharsetOf(contentType);
  if (charset == "utf-8" || charset == "utf8") return Utf8ToUtf16(bytes);
  return DecodeCp1252(bytes);
}

std::u16string PageBodyText(std::u16string_view page) {
  constexpr auto npos = std::u16string_view::npos;
  const std::size_t open = FindTag(page, u"<body", 0);
  if (open == npos) return WithoutTags(page);
  const std::size_t contentStart = page.find(u'>', open);
  if (contentStart == npos) return {};
  const std::size_t close = FindTag(page, u"</body", contentStart);
  const std::size_t length = close == npos ? npos : close - contentStart - 1;
  return WithoutTags(page.substr(contentStart + 1, length));
}

void ProbeDocument::Arrived(std::string_view body, std::string_view contentType) {
  text_ = PageBodyText(DecodeAnswerBody(body, contentType));
}

void ProbeDocument::SetBodyText(const BStr& text) {
  if (!text_) RaiseRuntimeError(kErrObjectNotSet);
  *text_ = text.str();
}

BStr ProbeDocument::ReadyState(bool loading) const {
  if (loading) return BStr("loading");
  return BStr(text_ ? "complete" : "uninitialized");
}

}  // namespace orvulink::platform
