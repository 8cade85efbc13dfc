#include "control/persistence.hpp"

#include "control/md5.hpp"
#include "core/error_exit.hpp"
#include "platform/boolean_conversion.hpp"

namespace orvulink::control {
namespace {

template <class... Visitors>
struct Overloaded : Visitors... {
  using Visitors::operator()...;
};
template <class... Visitors>
Overloaded(Visitors...) -> Overloaded<Visitors...>;

Variant DefaultOf(const PersistedSetting& setting) {
  return std::visit(Overloaded{[](TextSetting) { return Variant(BStr()); },
                               [&](BooleanSetting) { return Variant(setting.booleanDefault); }},
                    setting.field);
}

Variant CurrentValue(const core::ControlState& state, const PersistedSetting& setting) {
  return std::visit([&](auto field) { return Variant(state.*field); }, setting.field);
}

// Converts first, so a value that fails leaves the field as it was.
void StoreConverted(core::ControlState& state, const PersistedSetting& setting,
                    const Variant& value) {
  std::visit(
      Overloaded{[&](TextSetting field) { state.*field = value.ToText().str(); },
                 [&](BooleanSetting field) { state.*field = platform::ToVariantBool(value); }},
      setting.field);
}

void DeriveDigests(core::ControlState& state) {
  state.UserNameDigest = Md5Digest(state.UserName);
  state.PasswordDigest = Md5Digest(state.Password);
}

}  // namespace

const std::array<PersistedSetting, 10>& PersistedSettings() {
  static const std::array<PersistedSetting, 10> kSettings = {{
      {u"UserName", &core::ControlState::UserName},
      {u"Password", &core::ControlState::Password},
      {u"VAPCode", &core::ControlState::VAPcode},
      {u"TestMode", &core::ControlState::TestMode, false},
      {u"encryptSSL", &core::ControlState::EncryptSSL, true},
      {u"UseAutomayicProxy", &core::ControlState::AutomaticProxy, true},
      {u"Proxy", &core::ControlState::Proxy},
      {u"ProxyPort", &core::ControlState::ProxyPort},
      {u"PRoxyUsername", &core::ControlState::ProxyUsername},
      {u"ProxyPassword", &core::ControlState::ProxyPassword},
  }};
  return kSettings;
}

void SaveSettings(const core::ControlState& state, PropertyBag& bag) {
  for (const PersistedSetting& setting : PersistedSettings()) {
    core::Suppressed([&] {
      bag.WriteProperty(BStr(setting.key), CurrentValue(state, setting), DefaultOf(setting));
    });
  }
}

void RestoreSettings(core::ControlState& state, PropertyBag& bag) {
  for (const PersistedSetting& setting : PersistedSettings()) {
    core::Suppressed([&] {
      StoreConverted(state, setting, bag.ReadProperty(BStr(setting.key), DefaultOf(setting)));
    });
  }
  core::Suppressed([&] { DeriveDigests(state); });
}

}  // namespace orvulink::control
