#include "values.hpp"

#include <pybind11/eval.h>

#include <datetime.h>

#include <initializer_list>
#include <string>

namespace orvulink::python {
namespace {

struct Member {
  const char* name;
  std::int32_t value;
};
#define ORVULINK_MEMBER(name) \
  Member {                    \
#name, name               \
  }

// The class is made by the interpreter so that it is an ordinary Exception subclass with
// ordinary attributes; the component fills them in when it raises.
constexpr const char* kAutomationErrorSource = R"(
class AutomationError(Exception):
    """An error of the component, where the C++ API raises orvulink::AutomationError.

    number: the error number (e.g. 28375); source: "OrvuLink"; description: the English text,
    or the gateway's own message when it sent one. The control's ErrCode and ErrDescription
    hold the same values after a failed member.
    """

    def __init__(self, number, source="OrvuLink", description=""):
        super().__init__(number, source, description)
        self.number = number
        self.source = source
        self.description = description

    @property
    def hresult(self):
        """0x800A0000 + the low 16 bits of number."""
        return 0x800A0000 + (self.number & 0xFFFF)

    def __str__(self):
        return f"{self.number}: {self.description}"
)";

PyObject* g_errorClass = nullptr;  // lives as long as the process

template <class E>
void AddEnum(py::module_& module, const char* name, const char* doc,
             std::initializer_list<Member> members) {
  py::list pairs;
  for (const Member& m : members)
    pairs.append(py::make_tuple(m.name, m.value));
  py::object type = py::module_::import("enum").attr("IntEnum")(name, pairs);
  type.attr("__module__") = "orvulink";
  type.attr("__doc__") = doc;
  module.attr(name) = type;
  EnumClass& registry = EnumOf<E>();
  for (const Member& m : members) {
    py::object member = type.attr(m.name);
    module.attr(m.name) = member;
    registry.members.emplace_back(m.value, member.release().ptr());
  }
  registry.type = type.release().ptr();
}

void AddEnums(py::module_& m) {
  AddEnum<OrvuLink_StatusMessage>(
      m, "OrvuLink_StatusMessage", "Status of a message of the send list.",
      {ORVULINK_MEMBER(ORVULINK_MESSAGESEND_CANCELLED),
       ORVULINK_MEMBER(ORVULINK_MESSAGESEND_ERRSENDER),
       ORVULINK_MEMBER(ORVULINK_MESSAGESEND_ERRPHONEGSM),
       ORVULINK_MEMBER(ORVULINK_MESSAGESEND_ERRDATETIME),
       ORVULINK_MEMBER(ORVULINK_MESSAGESEND_ERRDOUBLE),
       ORVULINK_MEMBER(ORVULINK_MESSAGESEND_ERRGATEWAY),
       ORVULINK_MEMBER(ORVULINK_MESSAGESEND_INCOMPLETE),
       ORVULINK_MEMBER(ORVULINK_MESSAGESEND_TOSEND), ORVULINK_MEMBER(ORVULINK_MESSAGESEND_INSEND),
       ORVULINK_MEMBER(ORVULINK_MESSAGESEND_FORWARD)});
  AddEnum<OrvuLink_CodeProgress>(
      m, "OrvuLink_CodeProgress", "Step of a command, passed to ProgresSend and ProgresNotify.",
      {ORVULINK_MEMBER(ORVULINK_PROGRESS_COMPOSEREQUEST),
       ORVULINK_MEMBER(ORVULINK_PROGRESS_REQUEST), ORVULINK_MEMBER(ORVULINK_PROGRESS_SAVERESPOSE),
       ORVULINK_MEMBER(ORVULINK_PROGRESS_FINISH)});
  AddEnum<OrvuLink_StateNotify>(
      m, "OrvuLink_StateNotify", "Delivery status of one recipient.",
      {ORVULINK_MEMBER(ORVULINK_STATE_RESPINTO), ORVULINK_MEMBER(ORVULINK_STATE_ERROPERATOR),
       ORVULINK_MEMBER(ORVULINK_STATE_ERRGATEWAY), ORVULINK_MEMBER(ORVULINK_STATE_TONOTIFY),
       ORVULINK_MEMBER(ORVULINK_STATE_GETWAY), ORVULINK_MEMBER(ORVULINK_STATE_OPERATOR),
       ORVULINK_MEMBER(ORVULINK_STATE_DELIVERED)});
  AddEnum<OrvuLink_CodeReason>(
      m, "OrvuLink_CodeReason", "Why a delivery failed.",
      {ORVULINK_MEMBER(ORVULINK_CODEREASON_INDEFINITE),
       ORVULINK_MEMBER(ORVULINK_CODEREASON_PHONEGSM), ORVULINK_MEMBER(ORVULINK_CODEREASON_TIMEOUT),
       ORVULINK_MEMBER(ORVULINK_CODEREASON_BLOCKOPERATOR),
       ORVULINK_MEMBER(ORVULINK_CODEREASON_TIMEOUT2),
       ORVULINK_MEMBER(ORVULINK_CODEREASON_BLOCKUSER)});
  AddEnum<OrvuLink_StateOrederID>(
      m, "OrvuLink_StateOrederID", "The gateway's verdict on an order ID of a status query.",
      {ORVULINK_MEMBER(ORVULINK_ORDERID_NOTCORRECTED), ORVULINK_MEMBER(ORVULINK_ORDERID_TOVERIFY),
       ORVULINK_MEMBER(ORVULINK_ORDERID_CORRECTED)});
  AddEnum<OrvuLink_CodeTestConnection>(
      m, "OrvuLink_CodeTestConnection", "Verdict of TestConnection().",
      {ORVULINK_MEMBER(ORVULINK_TEST_OK), ORVULINK_MEMBER(ORVULINK_TEST_GENERIC),
       ORVULINK_MEMBER(ORVULINK_TEST_NETWORK), ORVULINK_MEMBER(ORVULINK_TEST_TIMER),
       ORVULINK_MEMBER(ORVULINK_TEST_PROXY), ORVULINK_MEMBER(ORVULINK_TEST_GATEWAY),
       ORVULINK_MEMBER(ORVULINK_TEST_PROTOCOLSSL), ORVULINK_MEMBER(ORVULINK_TEST_EXPLORER)});
  AddEnum<OrvuLink_ErrorRuntime>(
      m, "OrvuLink_ErrorRuntime",
      "The component's error numbers (AutomationError.number, ErrCode).",
      {ORVULINK_MEMBER(ORVULINK_ERROR_GENERIC), ORVULINK_MEMBER(ORVULINK_ERROR_AUTHENTICATION),
       ORVULINK_MEMBER(ORVULINK_ERROR_CGI), ORVULINK_MEMBER(ORVULINK_ERROR_CREDIT),
       ORVULINK_MEMBER(ORVULINK_ERROR_MAXQUEUE), ORVULINK_MEMBER(ORVULINK_ERROR_NETWORK),
       ORVULINK_MEMBER(ORVULINK_ERROR_GATEWAY), ORVULINK_MEMBER(ORVULINK_ERROR_VAPCODE),
       ORVULINK_MEMBER(ORVULINK_ERROR_AUTORESPONDER), ORVULINK_MEMBER(ORVULINK_ERROR_SENTSMS),
       ORVULINK_MEMBER(ORVULINK_ERROR_WRONG), ORVULINK_MEMBER(ORVULINK_ERROR_EXPLORER),
       ORVULINK_MEMBER(ORVULINK_ERROR_TEXT_MESSAGE), ORVULINK_MEMBER(ORVULINK_ERROR_COMMAND),
       ORVULINK_MEMBER(ORVULINK_EVENT_KEYRECIVE_REQUEST)});
}

void AddAutomationError(py::module_& m) {
  py::dict scope;
  scope["__name__"] = "orvulink";
  scope["__builtins__"] = py::module_::import("builtins");
  py::exec(kAutomationErrorSource, scope);
  py::object type = scope["AutomationError"];
  m.attr("AutomationError") = type;
  g_errorClass = type.release().ptr();
  py::register_exception_translator([](std::exception_ptr pending) {
    try {
      if (pending) std::rethrow_exception(pending);
    } catch (const AutomationError& error) {
      SetPythonError(error);
    }
  });
}

}  // namespace

py::handle EnumToPython(const EnumClass& registry, std::int32_t value) {
  for (const auto& [number, member] : registry.members) {
    if (number == value) return py::handle(member).inc_ref();
  }
  return PyLong_FromLong(value);
}

py::object DateToPython(Date date) {
  if (date.IsZero()) return py::none();
  const DateParts p = date.ToParts();
  PyObject* result =
      PyDateTime_FromDateAndTime(p.year, p.month, p.day, p.hour, p.minute, p.second, 0);
  if (result == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::object>(result);
}

bool DateFromPython(py::handle source, Date& date) {
  if (source.is_none()) {
    date = Date{};
    return true;
  }
  if (!PyDate_Check(source.ptr())) return false;
  DateParts parts;
  py::object local = py::reinterpret_borrow<py::object>(source);
  if (PyDateTime_Check(source.ptr())) {
    // An aware datetime is moved to local time: the component's dates are local.
    if (!local.attr("tzinfo").is_none()) local = local.attr("astimezone")();
    parts.hour = PyDateTime_DATE_GET_HOUR(local.ptr());
    parts.minute = PyDateTime_DATE_GET_MINUTE(local.ptr());
    parts.second = PyDateTime_DATE_GET_SECOND(local.ptr());
  } else {
    parts.hour = parts.minute = parts.second = 0;
  }
  parts.year = PyDateTime_GET_YEAR(local.ptr());
  parts.month = PyDateTime_GET_MONTH(local.ptr());
  parts.day = PyDateTime_GET_DAY(local.ptr());
  date = Date::FromParts(parts);
  return true;
}

py::handle TextToPython(const BStr& text) {
  int littleEndian = -1;
  PyObject* result = PyUnicode_DecodeUTF16(reinterpret_cast<const char*>(text.str().data()),
                                           static_cast<Py_ssize_t>(text.size() * 2),
                                           "surrogatepass", &littleEndian);
  if (result == nullptr) throw py::error_already_set();
  return result;
}

// Automation text is UTF-16 code units: characters beyond the BMP become surrogate pairs, and a
// lone surrogate in the str is kept as the unit it is.
bool TextFromPython(py::handle source, BStr& text) {
  PyObject* s = source.ptr();
  if (!PyUnicode_Check(s)) return false;
  const Py_ssize_t length = PyUnicode_GET_LENGTH(s);
  const int kind = PyUnicode_KIND(s);
  const void* data = PyUnicode_DATA(s);
  std::u16string units;
  units.reserve(static_cast<std::size_t>(length));
  for (Py_ssize_t i = 0; i < length; ++i) {
    const Py_UCS4 c = PyUnicode_READ(kind, data, i);
    if (c > 0xFFFF) {
      units.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      units.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      units.push_back(static_cast<char16_t>(c));
    }
  }
  text = BStr(std::move(units));
  return true;
}

void BindValues(py::module_& module) {
  PyDateTime_IMPORT;
  if (PyDateTimeAPI == nullptr) throw py::error_already_set();
  AddEnums(module);
  AddAutomationError(module);
}

py::handle AutomationErrorClass() {
  return g_errorClass;
}

void SetPythonError(const AutomationError& error) {
  py::object instance = AutomationErrorClass()(error.Number(), error.Source(), error.Description());
  PyErr_SetObject(g_errorClass, instance.ptr());
}

AutomationError FromPythonException(py::handle exception) {
  if (PyObject_IsInstance(exception.ptr(), g_errorClass) == 1) {
    try {
      return AutomationError(exception.attr("number").cast<std::int32_t>(),
                             exception.attr("source").cast<BStr>(),
                             exception.attr("description").cast<BStr>());
    } catch (const py::error_already_set&) {
      // Attributes a subclass broke: fall through to the generic form.
    } catch (const py::cast_error&) {
    }
  }
  // Any other exception counts as the component counts a foreign one of a C++ host: a bad call.
  const std::string text =
      py::str(py::type::handle_of(exception).attr("__name__")).cast<std::string>() + ": " +
      py::str(exception).cast<std::string>();
  return AutomationError(5, BStr("Python"), BStr(text));
}

}  // namespace orvulink::python
