#include "control/persistence.hpp"

#include "control/error_exit.hpp"
#include "control/md5.hpp"
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

Variant CurrentValue(const ControlState& state, const PersistedSetting& setting) {
  return std::visit([&](auto field) { return Variant(state.*field); }, setting.field);
}

// Converts first, so a value that fails leaves the field as it was.
void StoreConverted(ControlState& state, const PersistedSetting& setting, const Variant& value) {
  std::visit(
      Overloaded{[&](TextSetting field) { state.*field = value.ToText().str(); },
                 [&](BooleanSetting field) { state.*field = platform::ToVariantBool(value); }},
      setting.field);
}

void DeriveDigests(ControlState& state) {
  state.UserNameDigest = Md5Digest(state.UserName);
  state.PasswordDigest = Md5Digest(state.Password);
}

}  // namespace

const std::array<PersistedSetting, 10>& PersistedSettings() {
  static const std::array<PersistedSetting, 10> kSettings = {{
      {u"UserName", &ControlState::UserName},
      {u"Password", &ControlState::Password},
      {u"VAPCode", &ControlState::VAPcode},
      {u"TestMode", &ControlState::TestMode, false},
      {u"encryptSSL", &ControlState::EncryptSSL, true},
      {u"UseAutomayicProxy", &ControlState::AutomaticProxy, true},
      {u"Proxy", &ControlState::Proxy},
      {u"ProxyPort", &ControlState::ProxyPort},
      {u"PRoxyUsername", &ControlState::ProxyUsername},
      {u"ProxyPassword", &ControlState::ProxyPassword},
  }};
  return kSettings;
}

void SaveSettings(const ControlState& state, PropertyBag& bag) {
  for (const PersistedSetting& setting : PersistedSettings()) {
    Suppressed([&] {
      bag.WriteProperty(BStr(setting.key), CurrentValue(state, setting), DefaultOf(setting));
    });
  }
}

void RestoreSettings(ControlState& state, PropertyBag& bag) {
  for (const PersistedSetting& setting : PersistedSettings()) {
    Suppressed([&] {
      StoreConverted(state, setting, bag.ReadProperty(BStr(setting.key), DefaultOf(setting)));
    });
  }
  Suppressed([&] { DeriveDigests(state); });
}

}  // namespace orvulink::control
