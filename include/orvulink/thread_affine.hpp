// Objects of the component belong to the thread that made them: their state lives in that
// thread's record, so a call from elsewhere is refused instead of touching foreign state.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/export.hpp>

#include <thread>

namespace orvulink {

class ORVULINK_API ThreadAffine {
 protected:
  // `kind` names the object in the error text ("object", "control"); a string literal.
  explicit ThreadAffine(const char16_t* kind = u"object")
      : owner_(std::this_thread::get_id()), kind_(kind) {}

  // Raises error 5 with a clear text when called from a thread other than the owner's.
  void CheckThread() const;
  bool OnOwnerThread() const noexcept { return std::this_thread::get_id() == owner_; }

 private:
  std::thread::id owner_;
  const char16_t* kind_;
};

}  // namespace orvulink
