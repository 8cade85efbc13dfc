// The text of an answer: its body decoded by its declared character set, a page's body text.
#pragma once

#include <orvulink/automation.hpp>

#include <optional>
#include <string>
#include <string_view>

namespace orvulink::platform {

// An answer body as text: UTF-8 when its Content-Type names charset=utf-8, else Windows-1252.
std::u16string DecodeAnswerBody(std::string_view bytes, std::string_view contentType);

// The text of a page's body: what lies between <body ...> and </body> with every tag removed;
// the whole page without its tags when it has no body element.
std::u16string PageBodyText(std::u16string_view page);

// The page a probe browser holds, as every system's browser shows it: none until one arrived,
// then its body text, which the host may replace.
class ProbeDocument {
 public:
  // A page arrived: its body, decoded by its Content-Type.
  void Arrived(std::string_view body, std::string_view contentType);
  void Drop() { text_.reset(); }
  // Error 91 while there is no page.
  void SetBodyText(const BStr& text);
  BStr BodyText() const { return text_ ? BStr(*text_) : BStr(); }
  // "loading" while a navigation runs, else "complete" once a page arrived, "uninitialized".
  BStr ReadyState(bool loading) const;

 private:
  std::optional<std::u16string> text_;
};

}  // namespace orvulink::platform
