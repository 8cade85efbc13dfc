// Reception: the reception keys and the messages downloaded on them.
#include "bindings.hpp"

namespace orvulink::python {
namespace {

using Key = OrvuReceptionKey;

void BindMessages(py::module_& m) {
  Class<OrvuReceivedMessage>(m, "OrvuReceivedMessage", "One SMS received on a key.")
      .def_property_readonly("PhoneGsm", &OrvuReceivedMessage::PhoneGsm, "The sender.")
      .def_property_readonly("DateTime", &OrvuReceivedMessage::DateTime,
                             "When it was sent, local; None when unreadable.")
      .def_property_readonly("Text", &OrvuReceivedMessage::Text);
  Class<OrvuReceivedMessages> messages(m, "OrvuReceivedMessages", "The messages of a download.");
  AddSequence(messages);
}

}  // namespace

void BindReception(py::module_& m) {
  BindMessages(m);
  Class<Key>(m, "OrvuReceptionKey", "A reception key, its automatic reply and last download.")
      .def_property_readonly("MessageFromRecive", &Key::MessageFromRecive,
                             "Messages waiting, as last read.")
      .def_property_readonly("ReceivedMessages", &Key::ReceivedMessages,
                             "The messages of the last download, or None.")
      .def_property_readonly("TextAutoResponder", &Key::TextAutoResponder)
      .def_property_readonly("KeyReceived", &Key::KeyReceived)
      .def(
          "GetIncomingMessages",
          [](Key& self) { return RunCommand([&] { return self.GetIncomingMessages(); }); },
          "Downloads the waiting messages and confirms the download.")
      .def(
          "Update", [](Key& self) { return RunCommand([&] { return self.Update(); }); },
          "Reads the automatic reply and the waiting count again.")
      .def(
          "SetAutoResponder",
          [](Key& self, const BStr& text) {
            return RunCommand([&] { return self.SetAutoResponder(text); });
          },
          py::arg("NewAutoResponder"), "Sets the automatic reply.");

  Class<OrvuReceptionKeys> keys(m, "OrvuReceptionKeys", "The account's reception keys.");
  AddSequence(keys);
  keys.def("ItemReceptionKey", &OrvuReceptionKeys::ItemReceptionKey, py::arg("ReceptionKey"),
           "The key with this text (letter case ignored), or None.");
}

}  // namespace orvulink::python
