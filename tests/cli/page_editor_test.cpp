// The terminal property page without a terminal: keys in, page and screen cells out.
#include <gtest/gtest.h>

#include <orvulink/control.hpp>
#include <orvulink/design.hpp>

#include <string>
#include <vector>

#include "page/page_editor.hpp"
#include "page/page_layout.hpp"

namespace orvulink::cli {
namespace {

using Field = OrvuLinkProperty::Field;

class PageEditorTest : public testing::Test {
 protected:
  PageEditorTest() {
    page_.Initialize();
    page_.SelectionChanged({control_});
  }

  PageAction Press(KeyKind kind, int times = 1) {
    PageAction action = PageAction::kNone;
    for (int i = 0; i < times; ++i)
      action = editor_.HandleKey({kind});
    return action;
  }
  void Type(std::u32string_view text) {
    for (char32_t c : text)
      editor_.HandleKey({KeyKind::kCharacter, c});
  }
  std::string CellOnRowOf(const std::string& caption) {
    const PageScreen screen = LayOutPage(editor_);
    for (const Cell& label : screen.cells) {
      if (label.text != caption) continue;
      for (const Cell& cell : screen.cells)
        if (cell.row == label.row && cell.column > label.column) return cell.text;
    }
    return "<no " + caption + ">";
  }

  std::shared_ptr<OrvuLinkActiveX> control_ = OrvuLinkActiveX::Create();
  OrvuLinkProperty page_;
  PageEditor editor_{page_};
};

struct FocusCase {
  const char* name;
  bool manualProxy;
  KeyKind key;
  int presses;
  PageTarget expected;
};

TEST_F(PageEditorTest, FocusWrapsAndStepsOverGreyedOutFields) {
  const FocusCase cases[] = {
      {"tab past the automatic proxy to Apply", false, KeyKind::kNext, 6, PageButton::kApply},
      {"tab into the manual proxy", true, KeyKind::kNext, 6, Field::txtProxy},
      {"back from the first field wraps", false, KeyKind::kPrevious, 1, PageButton::kCancel},
      {"back over the buttons skips the proxy", false, KeyKind::kPrevious, 3, Field::chkProxy},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    OrvuLinkProperty page;
    page.SelectionChanged({control_});
    if (c.manualProxy) page.Click(Field::chkProxy);
    PageEditor editor(page);
    for (int i = 0; i < c.presses; ++i)
      editor.HandleKey({c.key});
    EXPECT_EQ(editor.focus(), c.expected);
  }
}

TEST_F(PageEditorTest, TextBoxesEditByCharacterAroundTheCursor) {
  Type(U"abd");
  Press(KeyKind::kLeft);
  Type(U"c");
  EXPECT_EQ(page_.Text(Field::txtUserName), BStr("abcd"));
  Press(KeyKind::kHome);
  Press(KeyKind::kDelete);
  Press(KeyKind::kEnd);
  Press(KeyKind::kBackspace);
  EXPECT_EQ(page_.Text(Field::txtUserName), BStr("bc"));
  Type(U"\U0001F600");  // one character, two UTF-16 units
  Press(KeyKind::kBackspace);
  EXPECT_EQ(page_.Text(Field::txtUserName), BStr("bc"));
  EXPECT_TRUE(page_.Changed());
}

TEST_F(PageEditorTest, PasswordsAreMaskedAndTheCursorFollowsTheText) {
  Press(KeyKind::kNext);
  const int emptyColumn = LayOutPage(editor_).cursor_column;
  Type(U"s3cret");
  EXPECT_EQ(page_.Text(Field::txtPassword), BStr("s3cret"));
  const std::string box = CellOnRowOf("Password");
  EXPECT_EQ(box.substr(0, 8), "[****** ") << box;
  const PageScreen screen = LayOutPage(editor_);
  EXPECT_EQ(screen.cursor_column, emptyColumn + 6);
  for (const Cell& cell : screen.cells)
    EXPECT_EQ(cell.text.find("s3cret"), std::string::npos) << cell.text;
}

TEST_F(PageEditorTest, SpaceUnchecksTheAutomaticProxyAndTheFrameLightsUp) {
  const auto frameStyle = [this] {
    for (const Cell& cell : LayOutPage(editor_).cells)
      if (cell.text.starts_with("+- Proxy")) return cell.style;
    return CellStyle::kTitle;
  };
  EXPECT_EQ(frameStyle(), CellStyle::kDisabled);
  Press(KeyKind::kNext, 5);
  ASSERT_EQ(editor_.focus(), PageTarget(Field::chkProxy));
  Type(U" ");
  EXPECT_EQ(page_.Value(Field::chkProxy), OrvuLinkProperty::kUnchecked);
  EXPECT_EQ(frameStyle(), CellStyle::kNormal);
}

TEST_F(PageEditorTest, ButtonsAndLeavingKeys) {
  EXPECT_EQ(Press(KeyKind::kEscape), PageAction::kCancel);
  EXPECT_EQ(Press(KeyKind::kInterrupt), PageAction::kInterrupt);
  EXPECT_EQ(Press(KeyKind::kEnter), PageAction::kNone);  // a text box: on to the next field
  Press(KeyKind::kPrevious, 3);
  ASSERT_EQ(editor_.focus(), PageTarget(PageButton::kApply));
  EXPECT_EQ(Press(KeyKind::kEnter), PageAction::kApply);
  Press(KeyKind::kRight);
  EXPECT_EQ(editor_.HandleKey({KeyKind::kCharacter, U' '}), PageAction::kCancel);
}

}  // namespace
}  // namespace orvulink::cli
