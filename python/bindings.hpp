// The pieces every list of the object model shares in Python, and the binders of each part.
#pragma once

#include "host_code.hpp"
#include "values.hpp"

#include <orvulink/orvulink.hpp>

#include <pybind11/pybind11.h>

#include <cstdint>
#include <memory>

namespace orvulink::python {

template <class T>
using Class = py::class_<T, std::shared_ptr<T>>;

// A list as a Python sequence: Count and the 1-based Item(i) as in the object model (None, or
// "" for order IDs, outside 1..Count), len(), iteration over a snapshot taken when it starts
// (like NewEnum), and 0-based indexing with negative indexes and IndexError.
template <class List>
void AddSequence(Class<List>& list) {
  list.def_property_readonly("Count", &List::Count, "The number of entries.")
      .def("Item", &List::Item, py::arg("Index"),
           "The entry at 1-based Index; None (\"\" for order IDs) outside 1..Count.")
      .def("__len__", &List::Count)
      .def("__iter__",
           [](const List& self) {
             py::list items;
             const std::int16_t count = self.Count();
             for (std::int16_t i = 1; i <= count; ++i)
               items.append(py::cast(self.Item(i)));
             return py::iter(items);
           })
      .def("__getitem__", [](const List& self, py::ssize_t index) {
        const py::ssize_t count = self.Count();
        if (index < 0) index += count;
        if (index < 0 || index >= count) throw py::index_error("list index out of range");
        return self.Item(static_cast<std::int16_t>(index + 1));
      });
}

using ProgressEvent = Event<OrvuLink_CodeProgress&>;

// A list's progress event as Python sees it; keeps the list alive.
struct EventRef {
  std::shared_ptr<AutomationObject> owner;
  ProgressEvent* event;
};

void BindEvents(py::module_& module);
void BindControl(py::module_& module);
void BindSend(py::module_& module);
void BindStatus(py::module_& module);
void BindReception(py::module_& module);

}  // namespace orvulink::python
