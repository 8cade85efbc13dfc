// The automation runtime's own errors (the numbers and texts a host expects for them).
#pragma once

#include <orvulink/automation.hpp>

#include <cstdint>

namespace orvulink::platform {

// The source of every automation error the component raises.
inline constexpr const char16_t* kErrorSource = u"OrvuLink";

inline constexpr std::int32_t kErrInvalidCall = 5;    // "Invalid procedure call or argument"
inline constexpr std::int32_t kErrOverflow = 6;       // "Overflow"
inline constexpr std::int32_t kErrOutOfMemory = 7;    // "Out of memory"
inline constexpr std::int32_t kErrSubscript = 9;      // "Subscript out of range"
inline constexpr std::int32_t kErrTypeMismatch = 13;  // "Type mismatch"
inline constexpr std::int32_t kErrObjectNotSet =
    91;  // "Object variable or With block variable not set"
inline constexpr std::int32_t kErrDuplicateKey =
    457;  // "This key is already associated with an element of this collection"

// The runtime's text for its own error numbers; "Application-defined or object-defined error"
// for any other.
BStr RuntimeErrorText(std::int32_t number);

// Raises the runtime error `number` with its text and the source "OrvuLink".
[[noreturn]] void RaiseRuntimeError(std::int32_t number);

// Maps any exception in flight to the automation error a host would see: an AutomationError
// as it is, std::bad_alloc as 7, std::out_of_range as 9, anything else as 5.
AutomationError CurrentExceptionAsAutomationError();

}  // namespace orvulink::platform
