// AutomationError: what() carries "number: description" so that a C++ caller who only logs
// std::exception still sees both.
#include <orvulink/automation.hpp>

#include <string>
#include <utility>

namespace orvulink {

AutomationError::AutomationError(std::int32_t number, BStr source, BStr description)
    : number_(number),
      source_(std::move(source)),
      description_(std::move(description)),
      what_(std::to_string(number) + ": " + description_.utf8()) {}

}  // namespace orvulink
