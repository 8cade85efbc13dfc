// The per-thread record of settings, digests, error state, last exchange and user information
// that every object of the component reads and writes.
#pragma once

#include <orvulink/automation.hpp>

#include <cstdint>
#include <memory>
#include <string>

namespace orvulink {
class OrvuSendMessages;
class OrvuNotifiedMessages;
class OrvuReceptionKeys;
}  // namespace orvulink

namespace orvulink::core {

struct ControlState {
  std::u16string UserName;
  std::u16string Password;
  std::u16string UserNameDigest;
  std::u16string PasswordDigest;
  std::u16string VAPcode;
  VariantBool TestMode{false};
  VariantBool EncryptSSL{true};
  VariantBool AutomaticProxy{true};
  std::u16string Proxy;
  std::u16string ProxyPort;
  std::u16string ProxyUsername;
  std::u16string ProxyPassword;

  std::int16_t ErrCode = 0;
  std::u16string ErrDescription;

  // Kept for the life of the thread: a further control start leaves them alone.
  std::u16string LastRequest;
  std::u16string LastRespose;

  std::u16string UserInfoCache;
  VariantBool NotifyServerFlag{true};
  VariantBool NotifyUserFlag{true};
  VariantBool ForeignCountryFlag{true};
  std::u16string ReceptionKeyList;

  // The lists the control hands out; the control start replaces them.
  std::shared_ptr<OrvuSendMessages> MessagesToSend;
  std::shared_ptr<OrvuNotifiedMessages> MessagesToNotify;
  std::shared_ptr<OrvuReceptionKeys> ReceptionKeys;
};

// This thread's state, created on first use.
ControlState& ThisThreadState();
// True once the thread is ending and its state has been destroyed: a control released after
// that (one kept in a static, say) has nothing left to end.
bool ThisThreadStateGone() noexcept;

}  // namespace orvulink::core
