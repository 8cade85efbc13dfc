// Delivery status: the status list, its order IDs and their recipients.
#include "bindings.hpp"

namespace orvulink::python {
namespace {

using List = OrvuNotifiedMessages;

void BindEntries(py::module_& m) {
  Class<OrvuNotifiedMessage>(m, "OrvuNotifiedMessage", "One recipient's delivery status.")
      .def_property_readonly("PhoneGsm", &OrvuNotifiedMessage::PhoneGsm)
      .def_property_readonly("DateTime", &OrvuNotifiedMessage::DateTime,
                             "Time of the status, local; None when the gateway gave none.")
      .def_property_readonly("ReasonCode", &OrvuNotifiedMessage::ReasonCode,
                             "An OrvuLink_CodeReason (an int when it has no name).")
      .def_property_readonly("Status", &OrvuNotifiedMessage::Status,
                             "An OrvuLink_StateNotify (an int when it has no name).");

  Class<OrvuNotifiedOrderID> id(m, "OrvuNotifiedOrderID", "An order ID and its recipients.");
  AddSequence(id);
  id.def("ItemPhone", &OrvuNotifiedOrderID::ItemPhone, py::arg("Phone"),
         "The recipient with this number, or None.")
      .def_property_readonly("OrderID", &OrvuNotifiedOrderID::OrderID)
      .def_property_readonly("Status", &OrvuNotifiedOrderID::Status,
                             "An OrvuLink_StateOrederID: the gateway's verdict.");
}

}  // namespace

void BindStatus(py::module_& m) {
  BindEntries(m);
  Class<List> list(m, "OrvuNotifiedMessages", "The status list: order IDs queried together.");
  AddSequence(list);
  list.def("ItemOrderID", &List::ItemOrderID, py::arg("OrderID"),
           "The entry of this order ID, or None.")
      .def("Clear", &List::Clear)
      .def_property("AutoNotify", py::overload_cast<>(&List::AutoNotify, py::const_),
                    py::overload_cast<VariantBool>(&List::AutoNotify),
                    "Adding to a full list queries it first.")
      .def_property("MaxListToNotify", py::overload_cast<>(&List::MaxListToNotify, py::const_),
                    py::overload_cast<std::int16_t>(&List::MaxListToNotify),
                    "Capacity, 1 to 3000; setting it empties the list.")
      .def(
          "AddMessage",
          [](List& self, const BStr& orderID, const BStr& phone) {
            return RunCommand([&] { return self.AddMessage(orderID, phone); });
          },
          py::arg("OrderID"), py::arg("PhoneGsm") = "",
          "Follows an order ID: every recipient, or the one given.")
      .def(
          "GetStatusNotify",
          [](List& self) { return RunCommand([&] { return self.GetStatusNotify(); }); },
          "Asks the gateway for the status of every listed order ID.")
      .def("RemoveMessage", &List::RemoveMessage, py::arg("OrderID"), py::arg("PhoneGsm") = "")
      .def_property_readonly(
          "ProgresNotify",
          [](const std::shared_ptr<List>& self) {
            (void)self->Count();  // the owner's thread only
            return EventRef{self, &self->ProgresNotify};
          },
          "The progress event of GetStatusNotify: ProgresNotify.connect(handler).");
}

}  // namespace orvulink::python
