// ProgresSend / ProgresNotify and the pump hook, for Python callables.
#include "bindings.hpp"

#include <utility>

namespace orvulink::python {
namespace {

using Connection = ProgressEvent::Connection;

// Unlike the C++ connection, the Python one does not end when dropped: the handler stays
// until disconnect() or the end of the list, the way Python code expects a callback to stay.
struct ConnectionRef {
  std::shared_ptr<Connection> connection;
};

ConnectionRef Connect(const EventRef& self, py::function handler) {
  auto connection = std::make_shared<Connection>();
  auto callable = std::make_shared<PyCallable>(std::move(handler));
  // The handler owns the connection (which only watches its slot): both end with the slot.
  *connection = self.event->Connect(
      [callable, connection](OrvuLink_CodeProgress& step) { (*callable)(step); });
  return ConnectionRef{connection};
}

void SetPump(const py::object& hook) {
  if (hook.is_none()) {
    platform::SetMessagePump(nullptr);
    return;
  }
  auto callable = std::make_shared<PyCallable>(hook);
  platform::SetMessagePump([callable] { (*callable)(); });
}

}  // namespace

void BindEvents(py::module_& m) {
  py::class_<ConnectionRef>(m, "Connection", "A handler connected to a progress event.")
      .def(
          "disconnect", [](ConnectionRef& self) { self.connection->Disconnect(); },
          "The handler is not called again, not even later in a firing under way.")
      .def_property_readonly(
          "connected", [](const ConnectionRef& self) { return self.connection->Connected(); });

  py::class_<EventRef>(m, "ProgressEvent",
                       "A progress event of a list: ProgresSend or ProgresNotify.")
      .def("connect", &Connect, py::arg("handler"),
           "Calls handler(step) at each step of the list's commands, on the command's thread, "
           "in the order connected, until disconnect(). step is an OrvuLink_CodeProgress.")
      .def_property_readonly(
          "handler_count", [](const EventRef& self) { return self.event->HandlerCount(); },
          "Handlers connected now.");

  m.def("set_message_pump", &SetPump, py::arg("hook"),
        "Sets this thread's message-pump hook: hook() is called while a command waits and "
        "around its progress events. None removes it.");
  m.def(
      "pump_messages", [] { RunCommand(platform::PumpMessages); },
      "Delivers the component's posted events of this thread, then calls the hook.");
}

}  // namespace orvulink::python
