// A script has no VB Collection of its own: besides one, AddGroupMessage takes what scripts have
// (an array, an enumerable object such as an ArrayList) and reads it into the core's collection.
#include "com/group_recipients.hpp"

#include "com/com_types.hpp"

#include <ole2.h>

namespace orvulink::com {
namespace {

constexpr std::int32_t kErrTypeMismatch = 13;

[[noreturn]] void RaiseTypeMismatch() {
  throw AutomationError(kErrTypeMismatch, BStr(u"OrvuLink"), BStr("Type mismatch"));
}

// Holds a VARIANT and clears it on every way out.
struct OwnedVariant {
  VARIANT value;
  OwnedVariant() { VariantInit(&value); }
  ~OwnedVariant() { VariantClear(&value); }
  OwnedVariant(const OwnedVariant&) = delete;
  OwnedVariant& operator=(const OwnedVariant&) = delete;
};

bool Call(IDispatch* object, DISPID id, WORD flags, VARIANT* argument, VARIANT& result) {
  DISPPARAMS params{argument, nullptr, argument != nullptr ? 1u : 0u, 0};
  return SUCCEEDED(
      object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, &result, nullptr, nullptr));
}

bool FromCountAndItem(IDispatch* object, Collection& out) {
  OLECHAR countName[] = L"Count";
  LPOLESTR names[] = {countName};
  DISPID count = 0;
  if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &count))) return false;
  OwnedVariant total;
  if (!Call(object, count, DISPATCH_PROPERTYGET | DISPATCH_METHOD, nullptr, total.value) ||
      FAILED(VariantChangeType(&total.value, &total.value, 0, VT_I4))) {
    return false;
  }
  OLECHAR itemName[] = L"Item";
  names[0] = itemName;
  DISPID item = DISPID_VALUE;
  object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &item);
  for (LONG index = 1; index <= V_I4(&total.value); ++index) {
    VARIANT position;
    VariantInit(&position);
    V_VT(&position) = VT_I4;
    V_I4(&position) = index;
    OwnedVariant entry;
    if (!Call(object, item, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &position, entry.value))
      RaiseTypeMismatch();
    out.Add(FromVariant(entry.value));
  }
  return true;
}

bool FromEnumeration(IDispatch* object, Collection& out) {
  OwnedVariant enumerator;
  if (!Call(object, DISPID_NEWENUM, DISPATCH_PROPERTYGET | DISPATCH_METHOD, nullptr,
            enumerator.value) ||
      (V_VT(&enumerator.value) != VT_UNKNOWN && V_VT(&enumerator.value) != VT_DISPATCH) ||
      V_UNKNOWN(&enumerator.value) == nullptr) {
    return false;
  }
  IEnumVARIANT* items = nullptr;
  if (FAILED(V_UNKNOWN(&enumerator.value)
                 ->QueryInterface(IID_IEnumVARIANT, reinterpret_cast<void**>(&items)))) {
    return false;
  }
  for (;;) {
    OwnedVariant entry;
    ULONG fetched = 0;
    if (items->Next(1, &entry.value, &fetched) != S_OK || fetched != 1) break;
    out.Add(FromVariant(entry.value));
  }
  items->Release();
  return true;
}

void FromArray(SAFEARRAY* array, VARTYPE type, Collection& out) {
  if (array == nullptr || SafeArrayGetDim(array) != 1) RaiseTypeMismatch();
  LONG low = 0;
  LONG high = -1;
  SafeArrayGetLBound(array, 1, &low);
  SafeArrayGetUBound(array, 1, &high);
  for (LONG index = low; index <= high; ++index) {
    OwnedVariant entry;
    if (type == VT_VARIANT) {
      if (FAILED(SafeArrayGetElement(array, &index, &entry.value))) RaiseTypeMismatch();
    } else {
      // A typed array (of Long, Double, String...): its element into a variant of that type.
      V_VT(&entry.value) = type;
      if (FAILED(SafeArrayGetElement(array, &index, &V_I4(&entry.value)))) RaiseTypeMismatch();
    }
    out.Add(FromVariant(entry.value));
  }
}

}  // namespace

Collection GroupRecipients(const VARIANT* given) {
  if (given == nullptr) RaiseTypeMismatch();
  const VARIANT* value = given;
  while (V_VT(value) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(value) != nullptr)
    value = V_VARIANTREF(value);
  Collection out;
  const VARTYPE type = V_VT(value);
  if ((type & VT_ARRAY) != 0) {
    SAFEARRAY* array = (type & VT_BYREF) != 0 ? *V_ARRAYREF(value) : V_ARRAY(value);
    FromArray(array, static_cast<VARTYPE>(type & VT_TYPEMASK), out);
    return out;
  }
  IDispatch* object = nullptr;
  if (type == VT_DISPATCH) object = V_DISPATCH(value);
  if (type == (VT_DISPATCH | VT_BYREF) && V_DISPATCHREF(value) != nullptr)
    object = *V_DISPATCHREF(value);
  if (object == nullptr) RaiseTypeMismatch();
  if (!FromCountAndItem(object, out) && !FromEnumeration(object, out)) RaiseTypeMismatch();
  return out;
}

}  // namespace orvulink::com
