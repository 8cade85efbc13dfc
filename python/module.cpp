// import orvulink: the component for Python hosts.
#include "bindings.hpp"

PYBIND11_MODULE(orvulink, m) {
  m.doc() =
      "OrvuLink, the SMS-gateway client component: the control OrvuLinkActiveX and its lists, "
      "in Python's idiom. See docs/python.md.";
  m.attr("__version__") = ORVULINK_PYTHON_VERSION;
  orvulink::python::BindValues(m);
  orvulink::python::BindEvents(m);
  orvulink::python::BindControl(m);
  orvulink::python::BindSend(m);
  orvulink::python::BindStatus(m);
  orvulink::python::BindReception(m);
}
