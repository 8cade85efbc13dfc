// Property bag reads and writes through the container's IPropertyBag.
#include "com/persist_bag.hpp"

#include "com/com_types.hpp"

#include <string>

namespace orvulink::com {
namespace {

std::wstring WideName(const BStr& name) {
  return std::wstring(name.str().begin(), name.str().end());
}

}  // namespace

Variant ContainerPropertyBag::ReadProperty(const BStr& name, const Variant& defaultValue) {
  VARIANT value;
  VariantInit(&value);
  if (FAILED(bag_->Read(WideName(name).c_str(), &value, log_))) return defaultValue;
  Variant out = FromVariant(value);
  VariantClear(&value);
  return out;
}

void ContainerPropertyBag::WriteProperty(const BStr& name, const Variant& value, const Variant&) {
  VARIANT stored;
  ToVariant(value, stored);
  const HRESULT result = bag_->Write(WideName(name).c_str(), &stored);
  VariantClear(&stored);
  if (FAILED(result)) {
    throw AutomationError(75, BStr(u"OrvuLink"),
                          BStr("The container could not store " + name.utf8()));
  }
}

}  // namespace orvulink::com
