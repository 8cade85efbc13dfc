// The automation runtime's own errors, raised with the numbers and texts a host expects.
#include "platform/runtime_error.hpp"

#include <exception>
#include <new>
#include <stdexcept>

namespace orvulink::platform {
namespace {

AutomationError MakeRuntimeError(std::int32_t number) {
  return AutomationError(number, BStr(kErrorSource), RuntimeErrorText(number));
}

}  // namespace

BStr RuntimeErrorText(std::int32_t number) {
  switch (number) {
    case kErrInvalidCall:
      return "Invalid procedure call or argument";
    case kErrOverflow:
      return "Overflow";
    case kErrOutOfMemory:
      return "Out of memory";
    case kErrSubscript:
      return "Subscript out of range";
    case kErrTypeMismatch:
      return "Type mismatch";
    case kErrObjectNotSet:
      return "Object variable or With block variable not set";
    case kErrDuplicateKey:
      return "This key is already associated with an element of this collection";
    default:
      return "Application-defined or object-defined error";
  }
}

void RaiseRuntimeError(std::int32_t number) {
  throw MakeRuntimeError(number);
}

AutomationError CurrentExceptionAsAutomationError() {
  // Outside a handler there is nothing to rethrow; report it as a bad call, not terminate.
  if (!std::current_exception()) return MakeRuntimeError(kErrInvalidCall);
  try {
    throw;
  } catch (const AutomationError& error) {
    return error;
  } catch (const std::bad_alloc&) {
    return MakeRuntimeError(kErrOutOfMemory);
  } catch (const std::out_of_range&) {
    return MakeRuntimeError(kErrSubscript);
  } catch (const std::length_error&) {
    return MakeRuntimeError(kErrSubscript);
  } catch (...) {
    return MakeRuntimeError(kErrInvalidCall);
  }
}

}  // namespace orvulink::platform
