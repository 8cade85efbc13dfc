// The ten settings a container keeps for the control, under their fixed keys (spelled as the
// bags of earlier releases hold them), with save and restore.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/property_bag.hpp>

#include "core/control_state.hpp"

#include <array>
#include <string_view>
#include <variant>

namespace orvulink::control {

using TextSetting = std::u16string core::ControlState::*;
using BooleanSetting = VariantBool core::ControlState::*;

struct PersistedSetting {
  std::u16string_view key;
  std::variant<TextSetting, BooleanSetting> field;
  bool booleanDefault = false;  // text settings default to ""
};

// In the order saved and restored.
const std::array<PersistedSetting, 10>& PersistedSettings();

// Writes every setting with its default; a key the bag refuses is skipped.
void SaveSettings(const core::ControlState& state, PropertyBag& bag);

// Reads every setting (its default when missing) straight into the state, bypassing the
// setters; a value that cannot be read or converted leaves its field. Then derives both digests.
// Never raises and never touches the error state.
void RestoreSettings(core::ControlState& state, PropertyBag& bag);

}  // namespace orvulink::control
