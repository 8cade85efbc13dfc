// Variant to Boolean, as an automation conversion does it (no locale: "True"/"False" only).
#pragma once

#include <orvulink/automation.hpp>

namespace orvulink::platform {

// A Boolean as it is; a number (dates included) True when non-zero; Empty False; text "True" or
// "False" in any letter case, or numeric text, True when non-zero. Anything else (other text,
// an object) raises 13 (type mismatch).
VariantBool ToVariantBool(const Variant& value);

}  // namespace orvulink::platform
