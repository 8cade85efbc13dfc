#include "page/page_editor.hpp"

#include <algorithm>

#include "page/code_points.hpp"

namespace orvulink::cli {
namespace {

using Field = OrvuLinkProperty::Field;

constexpr std::size_t kTargetCount = OrvuLinkProperty::kFieldCount + 2;

// The order of the page: the fields top to bottom, then the buttons left to right.
PageTarget TargetAt(std::size_t index) {
  if (index < OrvuLinkProperty::kFieldCount) return static_cast<Field>(index);
  return index == OrvuLinkProperty::kFieldCount ? PageButton::kApply : PageButton::kCancel;
}

std::size_t IndexOf(const PageTarget& target) {
  if (const Field* field = std::get_if<Field>(&target)) return static_cast<std::size_t>(*field);
  return std::get<PageButton>(target) == PageButton::kApply ? OrvuLinkProperty::kFieldCount
                                                            : OrvuLinkProperty::kFieldCount + 1;
}

}  // namespace

PageEditor::PageEditor(OrvuLinkProperty& page) : page_(page), focus_(Field::txtUserName) {
  FocusOn(page.Focus().value_or(Field::txtUserName));
}

bool PageEditor::Focusable(const PageTarget& target) const {
  const Field* field = std::get_if<Field>(&target);
  return field == nullptr || page_.Enabled(*field);
}

// Wraps around and steps over greyed-out fields, as Tab does in a dialog.
void PageEditor::MoveFocus(int step) {
  const std::size_t stride = step > 0 ? 1 : kTargetCount - 1;
  std::size_t index = IndexOf(focus_);
  for (std::size_t tries = 0; tries < kTargetCount; ++tries) {
    index = (index + stride) % kTargetCount;
    if (Focusable(TargetAt(index))) {
      FocusOn(TargetAt(index));
      return;
    }
  }
}

void PageEditor::FocusOn(const PageTarget& target) {
  focus_ = target;
  if (const Field* field = std::get_if<Field>(&target)) {
    page_.SetFocus(*field);
    cursor_ = CodePoints(page_.Text(*field)).size();
  }
}

PageAction PageEditor::HandleKey(const Key& key) {
  if (key.kind == KeyKind::kInterrupt) return PageAction::kInterrupt;
  if (key.kind == KeyKind::kEscape) return PageAction::kCancel;
  if (key.kind == KeyKind::kNext || key.kind == KeyKind::kPrevious) {
    MoveFocus(key.kind == KeyKind::kNext ? 1 : -1);
    return PageAction::kNone;
  }
  if (const PageButton* button = std::get_if<PageButton>(&focus_)) return OnButton(*button, key);
  const Field field = std::get<Field>(focus_);
  if (OrvuLinkProperty::IsCheckBox(field)) return OnCheckBox(field, key);
  return OnTextBox(field, key);
}

PageAction PageEditor::OnCheckBox(Field field, const Key& key) {
  if (key.kind == KeyKind::kCharacter && key.character == U' ') {
    page_.Click(field);
  } else if (key.kind == KeyKind::kEnter || key.kind == KeyKind::kRight) {
    MoveFocus(1);
  } else if (key.kind == KeyKind::kLeft) {
    MoveFocus(-1);
  }
  return PageAction::kNone;
}

PageAction PageEditor::OnButton(PageButton button, const Key& key) {
  const bool press =
      key.kind == KeyKind::kEnter || (key.kind == KeyKind::kCharacter && key.character == U' ');
  if (press) return button == PageButton::kApply ? PageAction::kApply : PageAction::kCancel;
  if (key.kind == KeyKind::kLeft || key.kind == KeyKind::kRight) {
    MoveFocus(key.kind == KeyKind::kRight ? 1 : -1);
  }
  return PageAction::kNone;
}

PageAction PageEditor::OnTextBox(Field field, const Key& key) {
  if (key.kind == KeyKind::kEnter) {
    MoveFocus(1);
  } else {
    EditText(field, key);
  }
  return PageAction::kNone;
}

void PageEditor::EditText(Field field, const Key& key) {
  std::u32string text = CodePoints(page_.Text(field));
  std::size_t cursor = std::min(cursor_, text.size());
  switch (key.kind) {
    case KeyKind::kCharacter:
      text.insert(cursor++, 1, key.character);
      break;
    case KeyKind::kBackspace:
      if (cursor > 0) text.erase(--cursor, 1);
      break;
    case KeyKind::kDelete:
      if (cursor < text.size()) text.erase(cursor, 1);
      break;
    case KeyKind::kLeft:
      cursor -= cursor > 0 ? 1 : 0;
      break;
    case KeyKind::kRight:
      cursor += cursor < text.size() ? 1 : 0;
      break;
    case KeyKind::kHome:
      cursor = 0;
      break;
    case KeyKind::kEnd:
      cursor = text.size();
      break;
    default:
      return;
  }
  // A locked box refuses the edit; the cursor then stays where it was.
  if (page_.EditText(field, FromCodePoints(text))) cursor_ = cursor;
}

}  // namespace orvulink::cli
