// The recipients a script hands AddGroupMessage, as the core's collection.
#pragma once

#include "com/com_types.hpp"

namespace orvulink::com {

// Accepts a collection object (Count and 1-based Item), an enumerable object (For Each), or an
// array of any dimension count 1 of numbers or texts; anything else is a type mismatch (13).
Collection GroupRecipients(const VARIANT* given);

}  // namespace orvulink::com
