#include <orvulink/control.hpp>
#include <orvulink/design.hpp>
#include <orvulink/notify.hpp>
#include <orvulink/platform.hpp>
#include <orvulink/receive.hpp>
#include <orvulink/send.hpp>

#include "control/md5.hpp"
#include "control/persistence.hpp"
#include "core/control_state.hpp"
#include "core/error_exit.hpp"
#include "core/version.hpp"
#include "gateway/log.hpp"
#include "gateway/startup.hpp"
#include "notify/access.hpp"
#include "platform/clock.hpp"
#include "platform/runtime_error.hpp"
#include "platform/text.hpp"
#include "receive/key_list.hpp"
#include "send/access.hpp"

#include <string>

namespace orvulink {

namespace {

// A plain getter: resets the error state, then reads the field.
template <class Field>
auto PlainGet(Field core::ControlState::*field) {
  auto& state = core::ThisThreadState();
  core::ResetErrorState(state);
  return state.*field;
}

// A plain setter: resets the error state, then stores the value as given.
template <class Field, class Value>
void PlainSet(Field core::ControlState::*field, const Value& value) {
  auto& state = core::ThisThreadState();
  core::Suppressed([&] {
    core::ResetErrorState(state);
    state.*field = value;
  });
}

void SetCredential(std::u16string core::ControlState::*plain,
                   std::u16string core::ControlState::*digest, const BStr& value) {
  auto& state = core::ThisThreadState();
  core::Trapped(state, [&] {
    core::ResetErrorState(state);
    state.*plain = value.str();
    state.*digest = control::Md5Digest(value.str());
  });
}

constexpr std::size_t kVapCodeLength = 10;

void StoreVapCode(core::ControlState& state, const std::u16string& value) {
  core::ResetErrorState(state);
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
  core::RaiseNumbered(state, ORVULINK_ERROR_VAPCODE);
}

void ResetToDefaults(core::ControlState& state) {
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
  core::Suppressed([&] {
    platform::GetUserInterface()->MessageBox(text, u"OrvuLink", platform::MessageIcon::kCritical);
  });
}

}  // namespace

OrvuLinkActiveX::OrvuLinkActiveX() : ThreadAffine(u"control") {}

std::shared_ptr<OrvuLinkActiveX> OrvuLinkActiveX::Create() {
  // The thread's start routine runs before the first object of the component exists on it.
  gateway::EnsureThreadStarted();
  std::shared_ptr<OrvuLinkActiveX> control(new OrvuLinkActiveX());
  control->Start();
  return control;
}

OrvuLinkActiveX::~OrvuLinkActiveX() {
  // The state belongs to the creating thread; a release elsewhere cannot reach it.
  if (OnOwnerThread() && !core::ThisThreadStateGone()) Terminate();
}

void OrvuLinkActiveX::Start() {
  auto& state = core::ThisThreadState();
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
  core::Suppressed([&] { receive::ReleaseReceptionKeys(core::ThisThreadState()); });
  core::Suppressed([&] { notify::ReleaseNotifyList(core::ThisThreadState()); });
  core::Suppressed([&] { send::ReleaseSendList(core::ThisThreadState()); });
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
  return PlainGet(&core::ControlState::LastRespose);
}
BStr OrvuLinkActiveX::LastRequest() const {
  CheckThread();
  return PlainGet(&core::ControlState::LastRequest);
}
BStr OrvuLinkActiveX::Version() const {
  CheckThread();
  core::ResetErrorState(core::ThisThreadState());
  return core::ComponentVersion();
}
BStr OrvuLinkActiveX::ErrDescription() const {
  CheckThread();
  return core::ThisThreadState().ErrDescription;
}
std::int16_t OrvuLinkActiveX::ErrCode() const {
  CheckThread();
  return core::ThisThreadState().ErrCode;
}

VariantBool OrvuLinkActiveX::EncryptSSL() const {
  CheckThread();
  return PlainGet(&core::ControlState::EncryptSSL);
}
void OrvuLinkActiveX::EncryptSSL(VariantBool bEncryptSSL) {
  CheckThread();
  PlainSet(&core::ControlState::EncryptSSL, bEncryptSSL);
}
VariantBool OrvuLinkActiveX::TestMode() const {
  CheckThread();
  return PlainGet(&core::ControlState::TestMode);
}
void OrvuLinkActiveX::TestMode(VariantBool bTestMode) {
  CheckThread();
  PlainSet(&core::ControlState::TestMode, bTestMode);
}

BStr OrvuLinkActiveX::UserName() const {
  CheckThread();
  return PlainGet(&core::ControlState::UserName);
}
void OrvuLinkActiveX::UserName(const BStr& sUserName) {
  CheckThread();
  SetCredential(&core::ControlState::UserName, &core::ControlState::UserNameDigest, sUserName);
}
BStr OrvuLinkActiveX::Password() const {
  CheckThread();
  return PlainGet(&core::ControlState::Password);
}
void OrvuLinkActiveX::Password(const BStr& sPassword) {
  CheckThread();
  SetCredential(&core::ControlState::Password, &core::ControlState::PasswordDigest, sPassword);
}

VariantBool OrvuLinkActiveX::AutomaticProxy() const {
  CheckThread();
  return PlainGet(&core::ControlState::AutomaticProxy);
}
void OrvuLinkActiveX::AutomaticProxy(VariantBool bAutomaticProxy) {
  CheckThread();
  PlainSet(&core::ControlState::AutomaticProxy, bAutomaticProxy);
}
BStr OrvuLinkActiveX::Proxy() const {
  CheckThread();
  return PlainGet(&core::ControlState::Proxy);
}
void OrvuLinkActiveX::Proxy(const BStr& sProxy) {
  CheckThread();
  PlainSet(&core::ControlState::Proxy, sProxy.str());
}
BStr OrvuLinkActiveX::ProxyPort() const {
  CheckThread();
  return PlainGet(&core::ControlState::ProxyPort);
}
void OrvuLinkActiveX::ProxyPort(const BStr& sProxyPort) {
  CheckThread();
  PlainSet(&core::ControlState::ProxyPort, sProxyPort.str());
}
BStr OrvuLinkActiveX::ProxyUsername() const {
  CheckThread();
  return PlainGet(&core::ControlState::ProxyUsername);
}
void OrvuLinkActiveX::ProxyUsername(const BStr& sProxyUsername) {
  CheckThread();
  PlainSet(&core::ControlState::ProxyUsername, sProxyUsername.str());
}
BStr OrvuLinkActiveX::ProxyPassword() const {
  CheckThread();
  return PlainGet(&core::ControlState::ProxyPassword);
}
void OrvuLinkActiveX::ProxyPassword(const BStr& sProxyPassword) {
  CheckThread();
  PlainSet(&core::ControlState::ProxyPassword, sProxyPassword.str());
}

BStr OrvuLinkActiveX::VAPcode() const {
  CheckThread();
  return PlainGet(&core::ControlState::VAPcode);
}
void OrvuLinkActiveX::VAPcode(const BStr& sVAPcode) {
  CheckThread();
  auto& state = core::ThisThreadState();
  // A rejected code is reported through ErrCode/ErrDescription only.
  core::Suppressed([&] { StoreVapCode(state, sVAPcode.str()); });
}

void OrvuLinkActiveX::ShowAboutBox() {
  CheckThread();
  auto& state = core::ThisThreadState();
  core::Trapped(state, [&] {
    core::ResetErrorState(state);
    platform::GetUserInterface()->ShowAboutBox(MakeAboutBox());
  });
}

std::shared_ptr<OrvuSendMessages> OrvuLinkActiveX::MessagesToSend() const {
  CheckThread();
  return core::ThisThreadState().MessagesToSend;
}

std::shared_ptr<OrvuNotifiedMessages> OrvuLinkActiveX::MessagesToNotify() const {
  CheckThread();
  return core::ThisThreadState().MessagesToNotify;
}

std::shared_ptr<OrvuReceptionKeys> OrvuLinkActiveX::ReceptionKeys() const {
  CheckThread();
  return core::ThisThreadState().ReceptionKeys;
}

void OrvuLinkActiveX::ReadProperties(PropertyBag& bag) {
  CheckThread();
  control::RestoreSettings(core::ThisThreadState(), bag);
}

void OrvuLinkActiveX::WriteProperties(PropertyBag& bag) const {
  CheckThread();
  control::SaveSettings(core::ThisThreadState(), bag);
}

}  // namespace orvulink
