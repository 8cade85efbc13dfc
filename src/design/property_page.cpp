#include <orvulink/design.hpp>

#include "core/version.hpp"
#include "design/page_bindings.hpp"
#include "platform/suppressed.hpp"

#include <algorithm>
#include <utility>

namespace orvulink {
namespace {

using design::BindingOf;
using design::PageBinding;
using design::PageBindings;

// A property that cannot be read or written is skipped; the page goes on with the next, and
// nothing reaches the developer.
template <class Step>
void Skipping(Step&& step) noexcept {
  platform::Suppressed(std::forward<Step>(step));
}

}  // namespace

void OrvuLinkProperty::Initialize() {
  version_label_ = u"OrvuLink ActiveX versione " + core::ComponentVersion();
  picture_ = kIconGroup;
}

void OrvuLinkProperty::SelectionChanged(
    std::vector<std::shared_ptr<OrvuLinkActiveX>> selectedControls) {
  selected_ = std::move(selectedControls);
  // Only the first control is shown, even when several are selected.
  if (!selected_.empty() && selected_.front()) Load(*selected_.front());
  ApplyEnablingRule();
  changed_ = false;
}

void OrvuLinkProperty::Load(const OrvuLinkActiveX& control) {
  for (const PageBinding& binding : PageBindings()) {
    FieldState& field = fields_[Index(binding.field)];
    Skipping([&] {
      if (binding.getText != nullptr) {
        field.text = (control.*binding.getText)();
      } else {
        field.value = (control.*binding.getFlag)().IsTrue() ? kChecked : kUnchecked;
      }
    });
  }
}

void OrvuLinkProperty::ApplyChanges() {
  rejected_.clear();
  if (!selected_.empty() && selected_.front()) Apply(*selected_.front());
  // The designer takes an applied page as unchanged.
  changed_ = false;
}

void OrvuLinkProperty::Apply(OrvuLinkActiveX& control) {
  for (const PageBinding& binding : PageBindings()) {
    const FieldState& field = fields_[Index(binding.field)];
    Skipping([&] {
      if (binding.putText != nullptr) {
        (control.*binding.putText)(field.text);
      } else {
        (control.*binding.putFlag)(VariantBool(field.value == kChecked));
      }
      // A setter that refuses a value says so only in ErrCode, which the next setter resets:
      // read it now or never.
      if (control.ErrCode() != 0) {
        rejected_.push_back({binding.field, control.ErrCode(), control.ErrDescription()});
      }
    });
  }
}

void OrvuLinkProperty::EditProperty(const BStr& propertyName) {
  const auto bindings = PageBindings();
  const auto found = std::ranges::find_if(
      bindings, [&](const PageBinding& binding) { return propertyName == BStr(binding.property); });
  if (found != bindings.end()) SetFocus(found->field);
}

bool OrvuLinkProperty::EditText(Field field, const BStr& text) {
  FieldState& state = fields_[Index(field)];
  if (IsCheckBox(field) || !state.enabled || state.locked) return false;
  if (state.text == text) return true;
  state.text = text;
  changed_ = true;
  return true;
}

bool OrvuLinkProperty::Click(Field field) {
  FieldState& state = fields_[Index(field)];
  if (!IsCheckBox(field) || !state.enabled) return false;
  state.value = state.value == kChecked ? kUnchecked : kChecked;
  changed_ = true;
  if (field == Field::chkProxy) ApplyEnablingRule();
  return true;
}

bool OrvuLinkProperty::SetFocus(Field field) {
  if (!Enabled(field)) return false;
  focus_ = field;
  return true;
}

// The manual proxy fields only mean something while the automatic proxy is off; their
// contents stay, so switching back and forth loses nothing.
void OrvuLinkProperty::ApplyEnablingRule() {
  const bool manual = Value(Field::chkProxy) != kChecked;
  proxy_frame_enabled_ = manual;
  for (std::size_t i = 0; i < kFieldCount; ++i) {
    if (!IsProxyField(static_cast<Field>(i))) continue;
    fields_[i].enabled = manual;
    fields_[i].locked = !manual;
  }
  // A focused field that is greyed out cannot keep the focus.
  if (focus_ && !Enabled(*focus_)) focus_.reset();
}

bool OrvuLinkProperty::IsCheckBox(Field field) {
  return field == Field::chkTestMode || field == Field::chkEncryptSSL || field == Field::chkProxy;
}

bool OrvuLinkProperty::IsProxyField(Field field) {
  return field == Field::txtProxy || field == Field::txtProxyPort ||
         field == Field::txtProxyUsername || field == Field::txtProxyPassword;
}

BStr OrvuLinkProperty::PropertyName(Field field) {
  return BStr(BindingOf(field).property);
}

}  // namespace orvulink
