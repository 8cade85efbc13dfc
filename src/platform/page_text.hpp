// The text of an answer: its body decoded by its declared character set, a page's body text.
#pragma once

#include <string>
#include <string_view>

namespace orvulink::platform {

// An answer body as text: UTF-8 when its Content-Type names charset=utf-8, else Windows-1252.
std::u16string DecodeAnswerBody(std::string_view bytes, std::string_view contentType);

// The text of a page's body: what lies between <body ...> and </body> with every tag removed;
// the whole page without its tags when it has no body element.
std::u16string PageBodyText(std::u16string_view page);

}  // namespace orvulink::platform
