// The terminal property page without the terminal: the focus ring over the page's ten fields
// and its two buttons, line editing in the text boxes, and what each key does. The drawing
// and the reading of keys live elsewhere, so all of this can be tested without a terminal.
#pragma once

#include <orvulink/design.hpp>

#include <cstddef>
#include <string>
#include <variant>

namespace orvulink::cli {

enum class KeyKind {
  kCharacter,
  kNext,      // Tab, down arrow
  kPrevious,  // Shift-Tab, up arrow
  kLeft,
  kRight,
  kHome,
  kEnd,
  kBackspace,
  kDelete,
  kEnter,
  kEscape,
  kInterrupt,  // Ctrl-C
};

struct Key {
  KeyKind kind;
  char32_t character = 0;  // kCharacter only
};

enum class PageButton { kApply, kCancel };
using PageTarget = std::variant<OrvuLinkProperty::Field, PageButton>;

enum class PageAction { kNone, kApply, kCancel, kInterrupt };

class PageEditor {
 public:
  // Starts on the field the page has focused (EditProperty), else on the first one.
  explicit PageEditor(OrvuLinkProperty& page);

  PageAction HandleKey(const Key& key);

  const OrvuLinkProperty& page() const { return page_; }
  const PageTarget& focus() const { return focus_; }
  // Characters before the cursor in the focused text box.
  std::size_t cursor() const { return cursor_; }
  // One line for the developer (why an apply did not close the page); "" when none.
  const std::string& status() const { return status_; }
  void SetStatus(std::string status) { status_ = std::move(status); }

 private:
  bool Focusable(const PageTarget& target) const;
  void MoveFocus(int step);
  void FocusOn(const PageTarget& target);
  PageAction OnCheckBox(OrvuLinkProperty::Field field, const Key& key);
  PageAction OnButton(PageButton button, const Key& key);
  PageAction OnTextBox(OrvuLinkProperty::Field field, const Key& key);
  void EditText(OrvuLinkProperty::Field field, const Key& key);

  OrvuLinkProperty& page_;
  PageTarget focus_;
  std::size_t cursor_ = 0;
  std::string status_;
};

}  // namespace orvulink::cli
