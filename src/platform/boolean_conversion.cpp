#include "platform/boolean_conversion.hpp"

#include "platform/conversions.hpp"
#include "platform/runtime_error.hpp"
#include "platform/text.hpp"

#include <memory>
#include <string_view>

namespace orvulink::platform {
namespace {

VariantBool TextToBoolean(const BStr& text) {
  const std::u16string folded = FoldCase(text.str());
  if (folded == FoldCase(u"True")) return VariantBool(true);
  if (folded == FoldCase(u"False")) return VariantBool(false);
  if (!IsNumeric(text.str())) RaiseRuntimeError(kErrTypeMismatch);
  return VariantBool(TextToDouble(text.str()) != 0.0);
}

struct BooleanOf {
  VariantBool operator()(Empty) const { return VariantBool(false); }
  VariantBool operator()(std::int16_t v) const { return VariantBool(v != 0); }
  VariantBool operator()(std::int32_t v) const { return VariantBool(v != 0); }
  VariantBool operator()(double v) const { return VariantBool(v != 0.0); }
  VariantBool operator()(const BStr& v) const { return TextToBoolean(v); }
  VariantBool operator()(VariantBool v) const { return v; }
  VariantBool operator()(Date v) const { return VariantBool(v.value != 0.0); }
  VariantBool operator()(const std::shared_ptr<AutomationObject>&) const {
    RaiseRuntimeError(kErrTypeMismatch);
  }
};

}  // namespace

VariantBool ToVariantBool(const Variant& value) {
  return std::visit(BooleanOf{}, value.value());
}

}  // namespace orvulink::platform
