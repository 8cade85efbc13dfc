// The property page on the controlling terminal, drawn with curses.
#pragma once

#include <functional>

#include "page/page_editor.hpp"

namespace orvulink::cli {

enum class PageEnd { kApplied, kCancelled, kInterrupted };

struct PageOutcome {
  PageEnd end;
  int signal = 0;  // the signal that interrupted the page (Ctrl-C counts as SIGINT)
};

// Shows the page until `apply` (run on Apply) says it may close, or the user leaves it. The
// terminal is restored however this ends. Throws std::runtime_error when the terminal cannot
// show the page (unknown type, too small at the start).
PageOutcome RunPageOnTerminal(PageEditor& editor, const std::function<bool()>& apply);

}  // namespace orvulink::cli
