// Which property of the control each field of the property page shows, and how it is read
// and written: always through the control's public properties.
#pragma once

#include <orvulink/control.hpp>
#include <orvulink/design.hpp>

#include <span>

namespace orvulink::design {

struct PageBinding {
  using Control = OrvuLinkActiveX;
  OrvuLinkProperty::Field field;
  const char16_t* property;  // the property's exact name
  // A text box uses the text pair, a check box the flag pair.
  BStr (Control::*getText)() const = nullptr;
  void (Control::*putText)(const BStr&) = nullptr;
  VariantBool (Control::*getFlag)() const = nullptr;
  void (Control::*putFlag)(VariantBool) = nullptr;
};

// In the order the page loads and applies them.
std::span<const PageBinding> PageBindings();

const PageBinding& BindingOf(OrvuLinkProperty::Field field);

}  // namespace orvulink::design
