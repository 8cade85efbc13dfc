// How the component's automation values cross into Python: text as str, Booleans as bool,
// dates as naive local datetime.datetime (the zero date as None), enumerations as
// enum.IntEnum members, automation errors as orvulink.AutomationError.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/enums.hpp>

#include <pybind11/pybind11.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace orvulink::python {

namespace py = pybind11;

// The IntEnum made for a C++ enumeration at import: its class and its members by value.
struct EnumClass {
  PyObject* type = nullptr;  // kept for the life of the process
  std::vector<std::pair<std::int32_t, PyObject*>> members;
};
template <class E>
EnumClass& EnumOf() {
  static EnumClass registry;
  return registry;
}

// A member of the IntEnum, or a plain int for a value without a name (the gateway's numbers
// are kept as they come).
py::handle EnumToPython(const EnumClass& registry, std::int32_t value);

py::object DateToPython(Date date);
bool DateFromPython(py::handle source, Date& date);

py::handle TextToPython(const BStr& text);
bool TextFromPython(py::handle source, BStr& text);

// Adds the enumerations (classes and, like the C++ unscoped enums, their members at module
// level) and AutomationError to the module, and installs the translation of AutomationError.
void BindValues(py::module_& module);
// The Python exception for a component error, set as the current Python error.
void SetPythonError(const AutomationError& error);
// The exception class, and the component error a Python exception stands for.
py::handle AutomationErrorClass();
AutomationError FromPythonException(py::handle exception);

}  // namespace orvulink::python

namespace pybind11::detail {

template <>
struct type_caster<orvulink::BStr> {
  PYBIND11_TYPE_CASTER(orvulink::BStr, const_name("str"));
  bool load(handle source, bool) { return orvulink::python::TextFromPython(source, value); }
  static handle cast(const orvulink::BStr& text, return_value_policy, handle) {
    return orvulink::python::TextToPython(text);
  }
};

template <>
struct type_caster<orvulink::VariantBool> {
  PYBIND11_TYPE_CASTER(orvulink::VariantBool, const_name("bool"));
  bool load(handle source, bool convert) {
    make_caster<bool> flag;
    if (!flag.load(source, convert)) return false;
    value = orvulink::VariantBool(cast_op<bool>(flag));
    return true;
  }
  static handle cast(orvulink::VariantBool flag, return_value_policy, handle) {
    return handle(flag.IsTrue() ? Py_True : Py_False).inc_ref();
  }
};

template <>
struct type_caster<orvulink::Date> {
  PYBIND11_TYPE_CASTER(orvulink::Date, const_name("datetime.datetime | None"));
  bool load(handle source, bool) { return orvulink::python::DateFromPython(source, value); }
  static handle cast(orvulink::Date date, return_value_policy, handle) {
    return orvulink::python::DateToPython(date).release();
  }
};

template <class E>
struct orvulink_enum_caster {
  PYBIND11_TYPE_CASTER(E, const_name("int"));
  bool load(handle source, bool) {
    if (!PyLong_Check(source.ptr())) return false;
    const long number = PyLong_AsLong(source.ptr());
    if (number == -1 && PyErr_Occurred()) {
      PyErr_Clear();
      return false;
    }
    value = static_cast<E>(number);
    return true;
  }
  static handle cast(E member, return_value_policy, handle) {
    return orvulink::python::EnumToPython(orvulink::python::EnumOf<E>(), member);
  }
};

template <>
struct type_caster<orvulink::OrvuLink_StatusMessage>
    : orvulink_enum_caster<orvulink::OrvuLink_StatusMessage> {};
template <>
struct type_caster<orvulink::OrvuLink_CodeProgress>
    : orvulink_enum_caster<orvulink::OrvuLink_CodeProgress> {};
template <>
struct type_caster<orvulink::OrvuLink_StateNotify>
    : orvulink_enum_caster<orvulink::OrvuLink_StateNotify> {};
template <>
struct type_caster<orvulink::OrvuLink_CodeReason>
    : orvulink_enum_caster<orvulink::OrvuLink_CodeReason> {};
template <>
struct type_caster<orvulink::OrvuLink_StateOrederID>
    : orvulink_enum_caster<orvulink::OrvuLink_StateOrederID> {};
template <>
struct type_caster<orvulink::OrvuLink_CodeTestConnection>
    : orvulink_enum_caster<orvulink::OrvuLink_CodeTestConnection> {};

}  // namespace pybind11::detail
