#include "page/page_layout.hpp"

#include <algorithm>
#include <array>
#include <string_view>

#include "page/code_points.hpp"

namespace orvulink::cli {
namespace {

using Field = OrvuLinkProperty::Field;

constexpr int kLabelColumn = 2;
constexpr int kFrameLabelColumn = 4;
constexpr int kBoxColumn = 24;
constexpr int kBoxWidth = 34;  // characters inside the brackets
constexpr int kFrameTop = 10;
constexpr int kFrameBottom = 15;
constexpr int kFrameRight = kBoxColumn + kBoxWidth + 3;
constexpr int kButtonRow = 17;
constexpr int kHintRow = 18;
constexpr int kStatusRow = 19;
constexpr std::size_t kStatusWidth = kPageColumns - kLabelColumn - 1;

struct FieldPlace {
  Field field;
  int row;
  std::string_view caption;
};

constexpr std::array<FieldPlace, OrvuLinkProperty::kFieldCount> kPlaces = {{
    {Field::txtUserName, 2, "User name"},
    {Field::txtPassword, 3, "Password"},
    {Field::txtVAPCode, 4, "VAP code"},
    {Field::chkTestMode, 6, "Test mode"},
    {Field::chkEncryptSSL, 7, "Encrypted connection (SSL)"},
    {Field::chkProxy, 8, "Automatic proxy"},
    {Field::txtProxy, 11, "Proxy server"},
    {Field::txtProxyPort, 12, "Port"},
    {Field::txtProxyUsername, 13, "User name"},
    {Field::txtProxyPassword, 14, "Password"},
}};

constexpr std::string_view kHint = "Tab/arrows move  Space checks  Enter next/press  Esc cancels";

bool IsSecret(Field field) {
  return field == Field::txtPassword || field == Field::txtProxyPassword;
}

class Painter {
 public:
  explicit Painter(const PageEditor& editor) : editor_(editor), page_(editor.page()) {}

  PageScreen Paint() {
    Put(0, kLabelColumn, page_.VersionLabel().utf8(), CellStyle::kTitle);
    PaintProxyFrame();
    for (const FieldPlace& place : kPlaces)
      PaintField(place);
    PaintButton(PageButton::kApply, "[ Apply ]", 20);
    PaintButton(PageButton::kCancel, "[ Cancel ]", 32);
    Put(kHintRow, kLabelColumn, std::string(kHint), CellStyle::kHint);
    if (!editor_.status().empty()) {
      // One line only: the last row of the terminal must not scroll.
      const std::u32string status = CodePoints(BStr(editor_.status()));
      Put(kStatusRow, kLabelColumn, Utf8(std::u32string_view(status).substr(0, kStatusWidth)),
          CellStyle::kStatus);
    }
    return std::move(screen_);
  }

 private:
  void Put(int row, int column, std::string text, CellStyle style) {
    screen_.cells.push_back({row, column, std::move(text), style});
  }

  bool Focused(const PageTarget& target) const { return editor_.focus() == target; }

  void PaintProxyFrame() {
    const CellStyle style = page_.ProxyFrameEnabled() ? CellStyle::kNormal : CellStyle::kDisabled;
    const std::size_t width = kFrameRight - kLabelColumn - 1;
    const std::string title = "+- Proxy ";
    Put(kFrameTop, kLabelColumn, title + std::string(width + 1 - title.size(), '-') + "+", style);
    for (int row = kFrameTop + 1; row < kFrameBottom; ++row) {
      Put(row, kLabelColumn, "|", style);
      Put(row, kFrameRight, "|", style);
    }
    Put(kFrameBottom, kLabelColumn, "+" + std::string(width, '-') + "+", style);
  }

  void PaintField(const FieldPlace& place) {
    const bool enabled = page_.Enabled(place.field);
    if (OrvuLinkProperty::IsCheckBox(place.field)) {
      const bool checked = page_.Value(place.field) == OrvuLinkProperty::kChecked;
      const std::string text = std::string(checked ? "[x] " : "[ ] ") + std::string(place.caption);
      Put(place.row, kLabelColumn, text, StyleOf(place.field, enabled));
      return;
    }
    const bool framed = OrvuLinkProperty::IsProxyField(place.field);
    const bool labelEnabled = !framed || page_.ProxyLabelsEnabled();
    Put(place.row, framed ? kFrameLabelColumn : kLabelColumn, std::string(place.caption),
        labelEnabled ? CellStyle::kNormal : CellStyle::kDisabled);
    PaintTextBox(place, enabled);
  }

  // The box scrolls so that the cursor stays inside it.
  void PaintTextBox(const FieldPlace& place, bool enabled) {
    std::u32string text = CodePoints(page_.Text(place.field));
    if (IsSecret(place.field)) text.assign(text.size(), U'*');
    const bool focused = Focused(place.field);
    const std::size_t cursor = focused ? std::min(editor_.cursor(), text.size()) : 0;
    const std::size_t first = cursor >= kBoxWidth ? cursor - kBoxWidth + 1 : 0;
    std::u32string visible = text.substr(first, kBoxWidth);
    visible.resize(kBoxWidth, U' ');
    Put(place.row, kBoxColumn, "[" + Utf8(visible) + "]", StyleOf(place.field, enabled));
    if (focused) {
      screen_.cursor_row = place.row;
      screen_.cursor_column = kBoxColumn + 1 + static_cast<int>(cursor - first);
    }
  }

  CellStyle StyleOf(Field field, bool enabled) const {
    if (!enabled) return CellStyle::kDisabled;
    return Focused(field) ? CellStyle::kFocused : CellStyle::kNormal;
  }

  void PaintButton(PageButton button, std::string_view text, int column) {
    Put(kButtonRow, column, std::string(text),
        Focused(button) ? CellStyle::kFocused : CellStyle::kNormal);
  }

  const PageEditor& editor_;
  const OrvuLinkProperty& page_;
  PageScreen screen_;
};

}  // namespace

PageScreen LayOutPage(const PageEditor& editor) {
  return Painter(editor).Paint();
}

}  // namespace orvulink::cli
