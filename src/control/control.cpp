#include <orvulink/control.hpp>
#include <orvulink/design.hpp>
#include <orvulink/platform.hpp>

#include "control/control_state.hpp"
#include "control/error_exit.hpp"
#include "control/md5.hpp"
#include "design/version.hpp"
#include "gateway/log.hpp"
#include "notify/access.hpp"
#include "platform/clock.hpp"
#include "platform/runtime_error.hpp"
#include "platform/text.hpp"
#include "receive/key_list.hpp"
#include "send/access.hpp"

#include <string>

namespace orvulink {

using control::ControlState;
using control::ResetErrorState;
using control::Suppressed;
using control::ThisThreadState;
using control::Trapped;

namespace {

// A plain getter: resets the error state, then reads the field.
template <class Field>
auto PlainGet(Field ControlState::*field) {
  auto& state = ThisThreadState();
  ResetErrorState(state);
  return state.*field;
}

// A plain setter: resets the error state, then stores the value as given.
template <class Field, class Value>
void PlainSet(Field ControlState::*field, const Value& value) {
  auto& state = ThisThreadState();
  Suppressed([&] {
    ResetErrorState(state);
    state.*field = value;
  });
}

void SetCredential(std::u16string ControlState::*plain, std::u16string ControlState::*digest,
                   const BStr& value) {
  auto& state = ThisThreadState();
  Trapped(state, [&] {
    ResetErrorState(state);
    state.*plain = value.str();
    state.*digest = control::Md5Digest(value.str());
  });
}

constexpr std::size_t kVapCodeLength = 10;

void StoreVapCode(ControlState& state, const std::u16string& value) {
  ResetErrorState(state);
  const std::u16string trimmed = platform::TrimSpaces(value);
  if (trimmed.empty()) {
    state.VAPcode.clear();
    return;
  }
  if (trimmed.size() == kVapCodeLength && value.find(u' ') == std::u16string::npos) {
    state.VAPcode = trimmed;
    return;
  }
  state.VAPcode.clear();
  control::RaiseNumbered(state, ORVULINK_ERROR_VAPCODE);
}

void ResetToDefaults(ControlState& state) {
  state.UserName.clear();
  state.Password.clear();
  state.UserNameDigest.clear();
  state.PasswordDigest.clear();
  state.VAPcode.clear();
  state.TestMode = VariantBool(false);
  state.EncryptSSL = VariantBool(true);
  state.AutomaticProxy = VariantBool(true);
  state.Proxy.clear();
  state.ProxyPort.clear();
  state.ProxyUsername.clear();
  state.ProxyPassword.clear();
  state.ErrDescription.clear();
  state.ErrCode = 0;
  state.NotifyServerFlag = VariantBool(true);
  state.NotifyUserFlag = VariantBool(true);
  state.ForeignCountryFlag = VariantBool(true);
  state.ReceptionKeyList.clear();
}

void ShowStartFailure(const AutomationError& error) {
  const std::u16string text = u"Impossible create the object OrvuLink: " +
                              error.Description().str() + u"\r\nTo contact the technical support";
  Suppressed([&] {
    platform::GetUserInterface()->MessageBox(text, u"OrvuLink", platform::MessageIcon::kCritical);
  });
}

}  // namespace

OrvuLinkActiveX::OrvuLinkActiveX() : owner_(std::this_thread::get_id()) {}

std::shared_ptr<OrvuLinkActiveX> OrvuLinkActiveX::Create() {
  std::shared_ptr<OrvuLinkActiveX> control(new OrvuLinkActiveX());
  control->Start();
  return control;
}

OrvuLinkActiveX::~OrvuLinkActiveX() {
  // The state belongs to the creating thread; a release elsewhere cannot reach it.
  if (std::this_thread::get_id() == owner_ && !control::ThisThreadStateGone()) Terminate();
}

void OrvuLinkActiveX::CheckThread() const {
  if (std::this_thread::get_id() != owner_) {
    throw AutomationError(platform::kErrInvalidCall, control::kErrorSource,
                          u"OrvuLink: the control was used from a thread other than the one "
                          u"that created it");
  }
}

void OrvuLinkActiveX::Start() {
  auto& state = ThisThreadState();
  try {
    picture_ = kIconGroup;
    ApplyFixedSize();
    state.UserInfoCache.clear();
    gateway::WriteLog(u"Class_Initialize " + platform::NowGeneral());
    // An earlier instance's keys are dropped as they are, not emptied.
    state.ReceptionKeys.reset();
    state.MessagesToSend = send::Access::NewList();
    state.MessagesToNotify = notify::Access::NewList();
    ResetToDefaults(state);
  } catch (...) {
    ShowStartFailure(platform::CurrentExceptionAsAutomationError());
  }
}

void OrvuLinkActiveX::Terminate() {
  CheckThread();
  if (terminated_) return;
  terminated_ = true;
  Suppressed([&] { receive::ReleaseReceptionKeys(ThisThreadState()); });
  Suppressed([&] { notify::ReleaseNotifyList(ThisThreadState()); });
  Suppressed([&] { send::ReleaseSendList(ThisThreadState()); });
  gateway::CloseLog();
}

void OrvuLinkActiveX::InitProperties() {
  CheckThread();
  ApplyFixedSize();
}
void OrvuLinkActiveX::Paint() {
  CheckThread();
  ApplyFixedSize();
}
void OrvuLinkActiveX::Resize() {
  CheckThread();
  ApplyFixedSize();
}
void OrvuLinkActiveX::Show() {
  CheckThread();
  ApplyFixedSize();
}

BStr OrvuLinkActiveX::LastRespose() const {
  CheckThread();
  return PlainGet(&ControlState::LastRespose);
}
BStr OrvuLinkActiveX::LastRequest() const {
  CheckThread();
  return PlainGet(&ControlState::LastRequest);
}
BStr OrvuLinkActiveX::Version() const {
  CheckThread();
  ResetErrorState(ThisThreadState());
  return design::ComponentVersion();
}
BStr OrvuLinkActiveX::ErrDescription() const {
  CheckThread();
  return ThisThreadState().ErrDescription;
}
std::int16_t OrvuLinkActiveX::ErrCode() const {
  CheckThread();
  return ThisThreadState().ErrCode;
}

VariantBool OrvuLinkActiveX::EncryptSSL() const {
  CheckThread();
  return PlainGet(&ControlState::EncryptSSL);
}
void OrvuLinkActiveX::EncryptSSL(VariantBool bEncryptSSL) {
  CheckThread();
  PlainSet(&ControlState::EncryptSSL, bEncryptSSL);
}
VariantBool OrvuLinkActiveX::TestMode() const {
  CheckThread();
  return PlainGet(&ControlState::TestMode);
}
void OrvuLinkActiveX::TestMode(VariantBool bTestMode) {
  CheckThread();
  PlainSet(&ControlState::TestMode, bTestMode);
}

BStr OrvuLinkActiveX::UserName() const {
  CheckThread();
  return PlainGet(&ControlState::UserName);
}
void OrvuLinkActiveX::UserName(const BStr& sUserName) {
  CheckThread();
  SetCredential(&ControlState::UserName, &ControlState::UserNameDigest, sUserName);
}
BStr OrvuLinkActiveX::Password() const {
  CheckThread();
  return PlainGet(&ControlState::Password);
}
void OrvuLinkActiveX::Password(const BStr& sPassword) {
  CheckThread();
  SetCredential(&ControlState::Password, &ControlState::PasswordDigest, sPassword);
}

VariantBool OrvuLinkActiveX::AutomaticProxy() const {
  CheckThread();
  return PlainGet(&ControlState::AutomaticProxy);
}
void OrvuLinkActiveX::AutomaticProxy(VariantBool bAutomaticProxy) {
  CheckThread();
  PlainSet(&ControlState::AutomaticProxy, bAutomaticProxy);
}
BStr OrvuLinkActiveX::Proxy() const {
  CheckThread();
  return PlainGet(&ControlState::Proxy);
}
void OrvuLinkActiveX::Proxy(const BStr& sProxy) {
  CheckThread();
  PlainSet(&ControlState::Proxy, sProxy.str());
}
BStr OrvuLinkActiveX::ProxyPort() const {
  CheckThread();
  return PlainGet(&ControlState::ProxyPort);
}
void OrvuLinkActiveX::ProxyPort(const BStr& sProxyPort) {
  CheckThread();
  PlainSet(&ControlState::ProxyPort, sProxyPort.str());
}
BStr OrvuLinkActiveX::ProxyUsername() const {
  CheckThread();
  return PlainGet(&ControlState::ProxyUsername);
}
void OrvuLinkActiveX::ProxyUsername(const BStr& sProxyUsername) {
  CheckThread();
  PlainSet(&ControlState::ProxyUsername, sProxyUsername.str());
}
BStr OrvuLinkActiveX::ProxyPassword() const {
  CheckThread();
  return PlainGet(&ControlState::ProxyPassword);
}
void OrvuLinkActiveX::ProxyPassword(const BStr& sProxyPassword) {
  CheckThread();
  PlainSet(&ControlState::ProxyPassword, sProxyPassword.str());
}

BStr OrvuLinkActiveX::VAPcode() const {
  CheckThread();
  return PlainGet(&ControlState::VAPcode);
}
void OrvuLinkActiveX::VAPcode(const BStr& sVAPcode) {
  CheckThread();
  auto& state = ThisThreadState();
  // A rejected code is reported through ErrCode/ErrDescription only.
  Suppressed([&] { StoreVapCode(state, sVAPcode.str()); });
}

void OrvuLinkActiveX::ShowAboutBox() {
  CheckThread();
  auto& state = ThisThreadState();
  Trapped(state, [&] {
    ResetErrorState(state);
    platform::GetUserInterface()->ShowAboutBox(MakeAboutBox());
  });
}

}  // namespace orvulink
