// OrvuLinkActiveX: settings and account commands as properties and methods.
#include "bindings.hpp"

#include <string>

namespace orvulink::python {
namespace {

using Control = OrvuLinkActiveX;

template <class T>
using Getter = T (Control::*)() const;

// A setting: a read-write property.
template <class T, class Arg>
void Setting(Class<Control>& control, const char* name, Getter<T> get, void (Control::*set)(Arg),
             const char* doc) {
  control.def_property(name, get, set, doc);
}

// Properties that may ask the gateway: a command.
void AskingProperty(Class<Control>& control, const char* name, Getter<std::int16_t> get,
                    const char* doc) {
  control.def_property_readonly(
      name, [get](const Control& self) { return RunCommand([&] { return (self.*get)(); }); }, doc);
}

void BindSettings(Class<Control>& c) {
  Setting<VariantBool, VariantBool>(c, "EncryptSSL", &Control::EncryptSSL, &Control::EncryptSSL,
                                    "Talk to the gateway over HTTPS.");
  Setting<VariantBool, VariantBool>(c, "TestMode", &Control::TestMode, &Control::TestMode,
                                    "Commands are checked by the gateway but not carried out.");
  Setting<BStr, const BStr&>(c, "UserName", &Control::UserName, &Control::UserName,
                             "The account's user name; only its MD5 digest travels.");
  Setting<BStr, const BStr&>(c, "Password", &Control::Password, &Control::Password,
                             "The account's password; only its MD5 digest travels.");
  Setting<VariantBool, VariantBool>(c, "AutomaticProxy", &Control::AutomaticProxy,
                                    &Control::AutomaticProxy,
                                    "Find the way to the gateway by a probe first.");
  Setting<BStr, const BStr&>(c, "Proxy", &Control::Proxy, &Control::Proxy, "Proxy host.");
  Setting<BStr, const BStr&>(c, "ProxyPort", &Control::ProxyPort, &Control::ProxyPort,
                             "Proxy port, as text.");
  Setting<BStr, const BStr&>(c, "ProxyUsername", &Control::ProxyUsername, &Control::ProxyUsername,
                             "Proxy user name.");
  Setting<BStr, const BStr&>(c, "ProxyPassword", &Control::ProxyPassword, &Control::ProxyPassword,
                             "Proxy password.");
  Setting<BStr, const BStr&>(
      c, "VAPcode", &Control::VAPcode, &Control::VAPcode,
      "The VAP code sent with each send; a malformed one is refused through ErrCode only.");
}

void BindCommands(Class<Control>& c) {
  AskingProperty(c, "NotifyServer", &Control::NotifyServer,
                 "1 when the gateway's status service is up (asks the gateway once).");
  AskingProperty(c, "NotifyUser", &Control::NotifyUser,
                 "1 when the account may ask for delivery status.");
  AskingProperty(c, "ForeignCountry", &Control::ForeignCountry,
                 "1 when the account may send abroad.");
  c.def(
       "ShowAboutBox", [](Control& self) { RunCommand([&] { self.ShowAboutBox(); }); },
       "Shows the about box through the user-interface hook.")
      .def(
          "DelMessage",
          [](Control& self, const BStr& orderID, const BStr& phone) {
            return RunCommand([&] { return self.DelMessage(orderID, phone); });
          },
          py::arg("OrderID"), py::arg("PhoneGsm") = "",
          "Deletes the messages of an order, or of one recipient; returns the gateway's text.")
      .def(
          "GetCredit", [](Control& self) { return RunCommand([&] { return self.GetCredit(); }); },
          "The remaining credit.")
      .def(
          "TestConnection",
          [](Control& self) { return RunCommand([&] { return self.TestConnection(); }); },
          "Tests the way to the gateway; never raises: the verdict is the result.")
      .def(
          "FillReceptionKeys",
          [](Control& self) { return RunCommand([&] { return self.FillReceptionKeys(); }); },
          "Asks the gateway for the account's reception keys; then ReceptionKeys holds them.");
}

void BindContainer(Class<Control>& c) {
  c.def("InitProperties", &Control::InitProperties, "Puts every setting back to its default.")
      .def(
          "ReadProperties",
          [](Control& self, const std::string& path) {
            FilePropertyBag bag(path);
            bag.Load();
            self.ReadProperties(bag);
          },
          py::arg("path"), "Reads the settings from a Key=Value settings file.")
      .def(
          "WriteProperties",
          [](const Control& self, const std::string& path) {
            FilePropertyBag bag(path);
            self.WriteProperties(bag);
            bag.Save();
          },
          py::arg("path"), "Writes the settings to a Key=Value settings file.")
      .def("Terminate", &Control::Terminate,
           "Ends the control now: the three lists are emptied. Later calls do nothing.");
}

}  // namespace

void BindControl(py::module_& m) {
  Class<Control> c(m, "OrvuLinkActiveX",
                   "The control. All controls of a thread share one state; each thread has its "
                   "own, and an object used from another thread raises AutomationError 5.");
  c.def(py::init(&Control::Create),
        "Creates a control on this thread (resetting the thread's shared state).");
  c.def_property_readonly("LastRespose", &Control::LastRespose,
                          "The last raw answer of the gateway.")
      .def_property_readonly("LastRequest", &Control::LastRequest,
                             "The last command string sent (credential digests only).")
      .def_property_readonly("Version", &Control::Version)
      .def_property_readonly("ErrDescription", &Control::ErrDescription,
                             "Text of the last error; reset by the next member.")
      .def_property_readonly("ErrCode", &Control::ErrCode,
                             "Number of the last error, 0 for none; reset by the next member.")
      .def_property_readonly("MessagesToSend", &Control::MessagesToSend, "The send list.")
      .def_property_readonly("MessagesToNotify", &Control::MessagesToNotify, "The status list.")
      .def_property_readonly("ReceptionKeys", &Control::ReceptionKeys,
                             "The reception keys, None before FillReceptionKeys().");
  BindSettings(c);
  BindCommands(c);
  BindContainer(c);
}

}  // namespace orvulink::python
