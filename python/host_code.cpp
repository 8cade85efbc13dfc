#include "host_code.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace orvulink::python {
namespace {

struct CallbackError {
  PyObject* exception;  // owned
  std::int32_t number;
  std::u16string description;
};

// Per thread, like the component's state; touched only with the GIL held.
struct ThreadErrors {
  std::vector<CallbackError> pending;
  int depth = 0;
};
ThreadErrors& ThisThread() {
  thread_local ThreadErrors errors;
  return errors;
}

void Report(const CallbackError& dropped) {
  PyObject* type = reinterpret_cast<PyObject*>(Py_TYPE(dropped.exception));
  Py_INCREF(type);
  PyErr_Restore(type, dropped.exception, PyException_GetTraceback(dropped.exception));
  PyErr_WriteUnraisable(nullptr);
}

// The component relays an error with the low 16 bits of its number and its description.
bool Caused(const CallbackError& candidate, const AutomationError& error) {
  return (candidate.number & 0xFFFF) == (error.Number() & 0xFFFF) &&
         candidate.description == error.Description().str();
}

}  // namespace

Boundary::Boundary() : mark_(ThisThread().pending.size()) {
  ++ThisThread().depth;
}

Boundary::~Boundary() {
  ThreadErrors& errors = ThisThread();
  --errors.depth;
  PyObject *type = nullptr, *value = nullptr, *traceback = nullptr;
  PyErr_Fetch(&type, &value, &traceback);
  for (std::size_t i = mark_; i < errors.pending.size(); ++i)
    Report(errors.pending[i]);
  errors.pending.resize(mark_);
  PyErr_Restore(type, value, traceback);
}

void Boundary::Raise(const AutomationError& error) {
  ThreadErrors& errors = ThisThread();
  PyObject* cause = nullptr;
  for (std::size_t i = errors.pending.size(); i-- > mark_;) {
    if (Caused(errors.pending[i], error)) {
      cause = errors.pending[i].exception;
      errors.pending.erase(errors.pending.begin() + static_cast<std::ptrdiff_t>(i));
      break;
    }
  }
  for (std::size_t i = mark_; i < errors.pending.size(); ++i)
    Report(errors.pending[i]);
  errors.pending.resize(mark_);
  if (cause == nullptr) {
    SetPythonError(error);
  } else {
    PyObject* type = reinterpret_cast<PyObject*>(Py_TYPE(cause));
    Py_INCREF(type);
    PyErr_Restore(type, cause, PyException_GetTraceback(cause));
  }
  throw py::error_already_set();
}

PyCallable::~PyCallable() {
  // At the interpreter's end there is nothing left to release it to.
  if (!Py_IsInitialized()) return;
  py::gil_scoped_acquire gil;
  Py_DECREF(function_);
}

void PyCallable::Throw(py::error_already_set& error) const {
  const AutomationError relayed = FromPythonException(error.value());
  ThreadErrors& errors = ThisThread();
  if (errors.depth == 0) {
    // Nobody to hand it back to.
    error.discard_as_unraisable(py::reinterpret_borrow<py::object>(function_));
  } else {
    errors.pending.push_back(CallbackError{error.value().inc_ref().ptr(), relayed.Number(),
                                           relayed.Description().str()});
  }
  throw relayed;
}

}  // namespace orvulink::python
