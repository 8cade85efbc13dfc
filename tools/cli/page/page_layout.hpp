// Where each part of the property page stands on the terminal and how it looks, worked out
// without curses: the drawing only copies these cells to the screen.
#pragma once

#include <string>
#include <vector>

#include "page/page_editor.hpp"

namespace orvulink::cli {

// The smallest terminal the page fits on.
inline constexpr int kPageRows = 20;
inline constexpr int kPageColumns = 64;

enum class CellStyle { kNormal, kDisabled, kFocused, kTitle, kHint, kStatus };

struct Cell {
  int row;
  int column;
  std::string text;  // UTF-8
  CellStyle style;
};

struct PageScreen {
  std::vector<Cell> cells;
  // Where the terminal's cursor goes: in the focused text box; -1 hides it.
  int cursor_row = -1;
  int cursor_column = -1;
};

// Passwords appear as one "*" per character.
PageScreen LayOutPage(const PageEditor& editor);

}  // namespace orvulink::cli
