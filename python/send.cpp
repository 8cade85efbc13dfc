// Sending: the send list, its messages and their order IDs.
#include "bindings.hpp"

namespace orvulink::python {
namespace {

using List = OrvuSendMessages;

// The host's collection of numbers, from any iterable of str.
Collection Numbers(const py::iterable& numbers) {
  Collection collection;
  for (py::handle number : numbers)
    collection.Add(Variant(py::cast<BStr>(number)));
  return collection;
}

void BindMessage(py::module_& m) {
  Class<OrvuSendOrderID> ids(m, "OrvuSendOrderID", "The order IDs of an accepted message (str).");
  AddSequence(ids);

  Class<OrvuSendMessage>(m, "OrvuSendMessage", "One SMS to one recipient, as the list checked it.")
      .def_property_readonly("OrderID", &OrvuSendMessage::OrderID,
                             "Its order IDs; None until accepted.")
      .def_property_readonly("NumSMS", &OrvuSendMessage::NumSMS, "The SMS parts it takes.")
      .def_property_readonly("Status", &OrvuSendMessage::Status, "An OrvuLink_StatusMessage.")
      .def_property_readonly("PhoneGsm", &OrvuSendMessage::PhoneGsm, "The normalised number.")
      .def_property_readonly("Text", &OrvuSendMessage::Text, "The text as it will be sent.")
      .def_property_readonly("DateTime", &OrvuSendMessage::DateTime,
                             "Send time, local; the clock while it is to go at once.")
      .def_property_readonly("Sender", &OrvuSendMessage::Sender, "The sender.");
}

void BindAdds(Class<List>& list) {
  list.def(
          "AddMessage",
          [](List& self, const BStr& phone, const BStr& text, const BStr& sender, Date at) {
            return RunCommand([&] { return self.AddMessage(phone, text, sender, at); });
          },
          py::arg("PhoneGsm"), py::arg("MessageText"), py::arg("Sender"),
          py::arg("DateTime") = py::none(),
          "Adds one message (DateTime None: at once). A message failing a check is added "
          "all the same, its Status tells why; with AutoSend a full list is sent first.")
      .def(
          "AddGroupMessage",
          [](List& self, const py::iterable& phones, const BStr& text, const BStr& sender,
             Date at) {
            Collection numbers = Numbers(phones);
            return RunCommand([&] { return self.AddGroupMessage(numbers, text, sender, at); });
          },
          py::arg("PhoneGsm"), py::arg("MessageText"), py::arg("Sender"),
          py::arg("DateTime") = py::none(),
          "Adds one message per number of PhoneGsm (any iterable of str), in one send group.");
}

}  // namespace

void BindSend(py::module_& m) {
  BindMessage(m);
  Class<List> list(m, "OrvuSendMessages", "The send list: messages sent with one command.");
  AddSequence(list);
  BindAdds(list);
  list.def(
          "SendMessage", [](List& self) { return RunCommand([&] { return self.SendMessage(); }); },
          "Sends every waiting message; False when there was nothing to send.")
      .def(
          "RemoveMessage",
          [](List& self, List::MessagePtr message) { return self.RemoveMessage(message); },
          py::arg("Message"), "Withdraws a message: it becomes CANCELLED and stays listed.")
      .def("Clear", &List::Clear, "Empties the list and its counters.")
      .def_property_readonly("CountMessageForward", &List::CountMessageForward)
      .def_property_readonly("CountMessageError", &List::CountMessageError)
      .def_property_readonly("CountMessageToSend", &List::CountMessageToSend)
      .def_property("AutoSend", py::overload_cast<>(&List::AutoSend, py::const_),
                    py::overload_cast<VariantBool>(&List::AutoSend),
                    "Adding to a full list sends it first.")
      .def_property("MaxListToSend", py::overload_cast<>(&List::MaxListToSend, py::const_),
                    py::overload_cast<std::int16_t>(&List::MaxListToSend),
                    "Capacity, 1 to 3000; setting it empties the list.")
      .def_property_readonly(
          "ProgresSend",
          [](const std::shared_ptr<List>& self) {
            (void)self->Count();  // the owner's thread only
            return EventRef{self, &self->ProgresSend};
          },
          "The progress event of SendMessage: ProgresSend.connect(handler).");
}

}  // namespace orvulink::python
