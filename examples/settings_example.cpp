// Creates the control, sets and reads its settings, and shows the error-state rules.
#include <orvulink/orvulink.hpp>

#include <cstdlib>
#include <iostream>

namespace {

int failures = 0;

void Check(bool condition, const char* what) {
  std::cout << (condition ? "ok   " : "FAIL ") << what << '\n';
  if (!condition) ++failures;
}

}  // namespace

int main() {
  using orvulink::BStr;
  auto control = orvulink::OrvuLinkActiveX::Create();
  std::cout << "OrvuLink " << control->Version().utf8() << '\n';

  control->UserName("demo");
  control->Password("demo-password");
  control->EncryptSSL(true);
  control->AutomaticProxy(false);
  control->Proxy("proxy.local");
  control->ProxyPort("3128");
  Check(control->UserName() == BStr("demo"), "UserName reads back");
  Check(control->ProxyPort() == BStr("3128"), "ProxyPort kept as text");

  // A malformed VAP code raises nothing: ErrCode and ErrDescription report it.
  control->VAPcode("too short");
  Check(control->ErrCode() == orvulink::ORVULINK_ERROR_VAPCODE, "VAPcode rejected via ErrCode");
  std::cout << "     " << control->ErrDescription().utf8() << '\n';
  (void)control->UserName();
  Check(control->ErrCode() == 0, "the next member resets the error state");

  // Every control on a thread shares one state; a new one resets it.
  auto second = orvulink::OrvuLinkActiveX::Create();
  Check(control->UserName() == BStr(""), "a new instance resets the shared settings");
  second->UserName("shared");
  Check(control->UserName() == BStr("shared"), "instances share the settings");

  return failures == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
