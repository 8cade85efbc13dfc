// Python code the component runs in the middle of a command (event handlers, the pump hook),
// and the boundary every command crosses: the GIL is released while the component works and
// taken back for the Python code it calls.
//
// A Python exception in that code is handed to the component as the automation error it stands
// for (an AutomationError as itself, anything else as error 5), so that the component's rules
// apply as for a C++ host: before the command goes out it ends the command, afterwards it is
// dropped. At the boundary the caller then gets the original Python exception back when it
// ended the command; one the component dropped goes to sys.unraisablehook.
#pragma once

#include "values.hpp"

#include <pybind11/pybind11.h>

#include <cstddef>
#include <utility>

namespace orvulink::python {

// Marks a call into the component from Python; settles the callback errors raised inside it.
class Boundary {
 public:
  Boundary();
  ~Boundary();
  Boundary(const Boundary&) = delete;
  Boundary& operator=(const Boundary&) = delete;

  // Raises the Python exception for `error`: the callback's own when it caused it.
  [[noreturn]] void Raise(const AutomationError& error);

 private:
  std::size_t mark_;
};

// Runs `body` (a call into the component that may reach the network or Python code) without
// the GIL.
template <class Body>
auto RunCommand(Body&& body) {
  Boundary boundary;
  try {
    py::gil_scoped_release release;
    return std::forward<Body>(body)();
  } catch (const AutomationError& error) {
    boundary.Raise(error);
  }
}

// A Python callable held by the component; callable and destructible without the GIL.
class PyCallable {
 public:
  explicit PyCallable(py::object function) : function_(function.release().ptr()) {}
  ~PyCallable();
  PyCallable(const PyCallable&) = delete;
  PyCallable& operator=(const PyCallable&) = delete;

  template <class... Args>
  void operator()(Args&&... args) const {
    py::gil_scoped_acquire gil;
    try {
      const py::handle callee(function_);
      callee(std::forward<Args>(args)...);
    } catch (py::error_already_set& error) {
      Throw(error);
    }
  }

 private:
  // Records the exception for the boundary and throws the component error it stands for.
  [[noreturn]] void Throw(py::error_already_set& error) const;

  PyObject* function_;
};

}  // namespace orvulink::python
