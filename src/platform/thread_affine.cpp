#include <orvulink/thread_affine.hpp>

#include "platform/runtime_error.hpp"

namespace orvulink {

void ThreadAffine::CheckThread() const {
  if (OnOwnerThread()) return;
  throw AutomationError(platform::kErrInvalidCall, u"OrvuLink",
                        u"OrvuLink: the object was used from a thread other than the one that "
                        u"created it");
}

}  // namespace orvulink
