// The component's English string table.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/enums.hpp>

#include <cstdint>

namespace orvulink::typelib {

// Ids of the error texts: id = error number - 27373.
inline constexpr std::int32_t kErrorTextIdOffset = 27373;

// Entry 1 lays out the characters a message text may carry.
inline constexpr std::int32_t kMessageAlphabetId = 1;

// The text of entry `id` (1, 1001-1018); "" for an id the table does not hold.
BStr LoadResString(std::int32_t id);
// The text of the error `number` (its entry number - 27373).
BStr ErrorText(OrvuLink_ErrorRuntime number);

}  // namespace orvulink::typelib
