#include <orvulink/thread_affine.hpp>

#include "platform/runtime_error.hpp"

#include <string>

namespace orvulink {

void ThreadAffine::CheckThread() const {
  if (OnOwnerThread()) return;
  throw AutomationError(platform::kErrInvalidCall, platform::kErrorSource,
                        u"OrvuLink: the " + std::u16string(kind_) +
                            u" was used from a thread other than the one that created it");
}

}  // namespace orvulink
