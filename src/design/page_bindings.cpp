#include "design/page_bindings.hpp"

#include <algorithm>
#include <array>

namespace orvulink::design {
namespace {

using Control = OrvuLinkActiveX;
using Field = OrvuLinkProperty::Field;

// The password comes first: the order in which the page has always loaded and applied them.
const std::array<PageBinding, OrvuLinkProperty::kFieldCount> kBindings = {{
    {.field = Field::txtPassword,
     .property = u"Password",
     .getText = &Control::Password,
     .putText = &Control::Password},
    {.field = Field::txtUserName,
     .property = u"UserName",
     .getText = &Control::UserName,
     .putText = &Control::UserName},
    {.field = Field::txtVAPCode,
     .property = u"VAPcode",
     .getText = &Control::VAPcode,
     .putText = &Control::VAPcode},
    {.field = Field::chkTestMode,
     .property = u"TestMode",
     .getFlag = &Control::TestMode,
     .putFlag = &Control::TestMode},
    {.field = Field::chkEncryptSSL,
     .property = u"EncryptSSL",
     .getFlag = &Control::EncryptSSL,
     .putFlag = &Control::EncryptSSL},
    {.field = Field::chkProxy,
     .property = u"AutomaticProxy",
     .getFlag = &Control::AutomaticProxy,
     .putFlag = &Control::AutomaticProxy},
    {.field = Field::txtProxy,
     .property = u"Proxy",
     .getText = &Control::Proxy,
     .putText = &Control::Proxy},
    {.field = Field::txtProxyPort,
     .property = u"ProxyPort",
     .getText = &Control::ProxyPort,
     .putText = &Control::ProxyPort},
    {.field = Field::txtProxyUsername,
     .property = u"ProxyUsername",
     .getText = &Control::ProxyUsername,
     .putText = &Control::ProxyUsername},
    {.field = Field::txtProxyPassword,
     .property = u"ProxyPassword",
     .getText = &Control::ProxyPassword,
     .putText = &Control::ProxyPassword},
}};

}  // namespace

std::span<const PageBinding> PageBindings() {
  return kBindings;
}

const PageBinding& BindingOf(Field field) {
  return *std::ranges::find(kBindings, field, &PageBinding::field);
}

}  // namespace orvulink::design
