// The container's property bag seen as the core's PropertyBag.
#pragma once

#include "com/com_types.hpp"

namespace orvulink::com {

class ContainerPropertyBag final : public PropertyBag {
 public:
  ContainerPropertyBag(IPropertyBag* bag, IErrorLog* log) : bag_(bag), log_(log) {}

  // A value the bag does not hold (or cannot give) reads as the default, as a container does.
  Variant ReadProperty(const BStr& name, const Variant& defaultValue) override;
  void WriteProperty(const BStr& name, const Variant& value, const Variant& defaultValue) override;

 private:
  IPropertyBag* bag_;
  IErrorLog* log_;
};

}  // namespace orvulink::com
