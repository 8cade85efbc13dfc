// Conversions between the core's automation values and COM's, and the one place where a
// failure of the core becomes an HRESULT with its IErrorInfo.
#pragma once

// The Windows headers first: their ANSI/Unicode macros would rename the core's members of the
// same names, so they are dropped before the core's headers are read.
#include <oaidl.h>
#include <ocidl.h>
#include <ole2.h>
#include <olectl.h>
#undef SendMessage
#undef MessageBox

#include <orvulink/orvulink.hpp>

#include <exception>
#include <type_traits>

namespace orvulink::com {

BSTR ToBstr(const BStr& text);  // throws std::bad_alloc when the system has no memory
BStr FromBstr(BSTR text);
inline VARIANT_BOOL ToVariantBool(VariantBool value) {
  return value.value;
}
inline VariantBool FromVariantBool(VARIANT_BOOL value) {
  return VariantBool::Raw(value);
}

// An optional date argument: missing (or empty) is the zero date; anything else as a date.
Date OptionalDate(const VARIANT& value);
// A script's value as the core's variant (numbers, text, Booleans, dates; an object stays an
// object, so that using it as text fails with "type mismatch").
Variant FromVariant(const VARIANT& value);
// A core variant as a COM VARIANT (objects become empty: the core hands none out this way).
void ToVariant(const Variant& value, VARIANT& out);

// Records the error for GetErrorInfo and answers the HRESULT a caller sees: 0x800A0000 + number
// for an automation error, as the automation runtime raises them.
HRESULT ReportError(const AutomationError& error);
HRESULT ReportFailure(const std::exception_ptr& failure);

// Runs `body`, turning every failure into an HRESULT with its error information.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
  SetErrorInfo(0, nullptr);
  try {
    body();
    return S_OK;
  } catch (...) {
    return ReportFailure(std::current_exception());
  }
}

}  // namespace orvulink::com
