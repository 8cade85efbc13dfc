// Values across the COM boundary: BSTR and VARIANT to the core's types and back, and the
// automation error as IErrorInfo.
#include "com/com_types.hpp"

#include <new>
#include <string>

namespace orvulink::com {
namespace {

constexpr std::int32_t kErrTypeMismatch = 13;
constexpr std::int32_t kErrOutOfMemory = 7;

const VARIANT& Dereferenced(const VARIANT& value) {
  if (V_VT(&value) == (VT_VARIANT | VT_BYREF) && V_VARIANTREF(&value) != nullptr)
    return *V_VARIANTREF(&value);
  return value;
}

// An object that is not text or a number: the core's conversions refuse it.
class ForeignObject final : public AutomationObject {};

}  // namespace

BSTR ToBstr(const BStr& text) {
  const std::u16string& units = text.str();
  BSTR out = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(units.data()),
                               static_cast<UINT>(units.size()));
  if (out == nullptr) throw std::bad_alloc();
  return out;
}

BStr FromBstr(BSTR text) {
  if (text == nullptr) return {};
  return BStr(std::u16string(reinterpret_cast<const char16_t*>(text), SysStringLen(text)));
}

Date OptionalDate(const VARIANT& given) {
  const VARIANT& value = Dereferenced(given);
  if (V_VT(&value) == VT_ERROR || V_VT(&value) == VT_EMPTY) return Date{};
  VARIANT date;
  VariantInit(&date);
  if (FAILED(VariantChangeType(&date, const_cast<VARIANT*>(&value), 0, VT_DATE)))
    throw AutomationError(kErrTypeMismatch, BStr(u"OrvuLink"), BStr("Type mismatch"));
  return Date(V_DATE(&date));
}

Variant FromVariant(const VARIANT& given) {
  const VARIANT& value = Dereferenced(given);
  switch (V_VT(&value) & ~VT_BYREF) {
    case VT_EMPTY:
      return Variant();
    case VT_I2:
      return Variant(
          static_cast<std::int16_t>(V_ISBYREF(&value) ? *V_I2REF(&value) : V_I2(&value)));
    case VT_I4:
      return Variant(
          static_cast<std::int32_t>(V_ISBYREF(&value) ? *V_I4REF(&value) : V_I4(&value)));
    case VT_R8:
      return Variant(V_ISBYREF(&value) ? *V_R8REF(&value) : V_R8(&value));
    case VT_BOOL:
      return Variant(FromVariantBool(V_ISBYREF(&value) ? *V_BOOLREF(&value) : V_BOOL(&value)));
    case VT_DATE:
      return Variant(Date(V_ISBYREF(&value) ? *V_DATEREF(&value) : V_DATE(&value)));
    case VT_BSTR:
      return Variant(FromBstr(V_ISBYREF(&value) ? *V_BSTRREF(&value) : V_BSTR(&value)));
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return Variant(std::shared_ptr<AutomationObject>(std::make_shared<ForeignObject>()));
    default:
      break;
  }
  // Other numbers (Byte, Currency, Decimal, ...) as their text, as the runtime would give it.
  VARIANT text;
  VariantInit(&text);
  if (FAILED(VariantChangeType(&text, const_cast<VARIANT*>(&value), 0, VT_BSTR)))
    throw AutomationError(kErrTypeMismatch, BStr(u"OrvuLink"), BStr("Type mismatch"));
  Variant out(FromBstr(V_BSTR(&text)));
  VariantClear(&text);
  return out;
}

void ToVariant(const Variant& value, VARIANT& out) {
  VariantInit(&out);
  std::visit(
      [&](const auto& held) {
        using T = std::decay_t<decltype(held)>;
        if constexpr (std::is_same_v<T, std::int16_t>) {
          V_VT(&out) = VT_I2;
          V_I2(&out) = held;
        } else if constexpr (std::is_same_v<T, std::int32_t>) {
          V_VT(&out) = VT_I4;
          V_I4(&out) = held;
        } else if constexpr (std::is_same_v<T, double>) {
          V_VT(&out) = VT_R8;
          V_R8(&out) = held;
        } else if constexpr (std::is_same_v<T, BStr>) {
          V_VT(&out) = VT_BSTR;
          V_BSTR(&out) = ToBstr(held);
        } else if constexpr (std::is_same_v<T, VariantBool>) {
          V_VT(&out) = VT_BOOL;
          V_BOOL(&out) = held.value;
        } else if constexpr (std::is_same_v<T, Date>) {
          V_VT(&out) = VT_DATE;
          V_DATE(&out) = held.value;
        }
      },
      value.value());
}

HRESULT ReportError(const AutomationError& error) {
  ICreateErrorInfo* create = nullptr;
  if (SUCCEEDED(CreateErrorInfo(&create))) {
    BSTR source = ToBstr(error.Source());
    BSTR description = ToBstr(error.Description());
    create->SetSource(source);
    create->SetDescription(description);
    create->SetGUID(GUID_NULL);
    SysFreeString(source);
    SysFreeString(description);
    IErrorInfo* info = nullptr;
    if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
      SetErrorInfo(0, info);
      info->Release();
    }
    create->Release();
  }
  return static_cast<HRESULT>(error.HResult());
}

HRESULT ReportFailure(const std::exception_ptr& failure) {
  try {
    std::rethrow_exception(failure);
  } catch (const AutomationError& error) {
    return ReportError(error);
  } catch (const std::bad_alloc&) {
    return ReportError(AutomationError(kErrOutOfMemory, BStr(u"OrvuLink"), BStr("Out of memory")));
  } catch (const std::exception& error) {
    return ReportError(AutomationError(5, BStr(u"OrvuLink"), BStr(std::string(error.what()))));
  } catch (...) {
    return E_UNEXPECTED;
  }
}

}  // namespace orvulink::com
