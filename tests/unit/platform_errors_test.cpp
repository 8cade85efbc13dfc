#include "platform/runtime_error.hpp"

#include <orvulink/automation.hpp>

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>
#include <vector>

namespace orvulink::platform {
namespace {

struct RuntimeErrorCase {
  std::int32_t number;
  const char* text;
};

const std::vector<RuntimeErrorCase> kRuntimeErrors = {
    {5, "Invalid procedure call or argument"},
    {6, "Overflow"},
    {7, "Out of memory"},
    {9, "Subscript out of range"},
    {13, "Type mismatch"},
    {91, "Object variable or With block variable not set"},
    {457, "This key is already associated with an element of this collection"},
    {0, "Application-defined or object-defined error"},
    {1000, "Application-defined or object-defined error"},
};

TEST(RuntimeErrorTest, RaisesNumberTextAndSource) {
  for (const auto& expected : kRuntimeErrors) {
    EXPECT_EQ(RuntimeErrorText(expected.number).utf8(), expected.text);
    try {
      RaiseRuntimeError(expected.number);
      ADD_FAILURE() << "nothing raised for " << expected.number;
    } catch (const AutomationError& error) {
      EXPECT_EQ(error.Number(), expected.number);
      EXPECT_EQ(error.Description().utf8(), expected.text);
      EXPECT_EQ(error.Source().utf8(), "OrvuLink");
      EXPECT_EQ(std::string(error.what()), std::to_string(expected.number) + ": " + expected.text);
      EXPECT_EQ(error.HResult(), 0x800A0000u + static_cast<std::uint32_t>(expected.number));
    }
  }
}

TEST(AutomationErrorTest, WhatIsUtf8NumberAndDescription) {
  const AutomationError error(-7, "Src", u"caf\u00E9");
  EXPECT_EQ(std::string(error.what()), "-7: caf\xC3\xA9");
}

template <class Exception>
std::int32_t NumberFor(Exception exception) {
  try {
    throw exception;
  } catch (...) {
    return CurrentExceptionAsAutomationError().Number();
  }
}

TEST(CurrentExceptionTest, MapsExceptionKindsToRuntimeNumbers) {
  EXPECT_EQ(NumberFor(AutomationError(30001, "OrvuLink", "custom")), 30001);
  EXPECT_EQ(NumberFor(std::bad_alloc()), 7);
  EXPECT_EQ(NumberFor(std::out_of_range("index")), 9);
  EXPECT_EQ(NumberFor(std::length_error("length")), 9);
  EXPECT_EQ(NumberFor(std::runtime_error("other")), 5);
  EXPECT_EQ(NumberFor(std::invalid_argument("logic")), 5);
  EXPECT_EQ(NumberFor(42), 5);
}

TEST(CurrentExceptionTest, KeepsAnAutomationErrorWhole) {
  try {
    throw AutomationError(457, "Host", "described");
  } catch (...) {
    const AutomationError error = CurrentExceptionAsAutomationError();
    EXPECT_EQ(error.Source().utf8(), "Host");
    EXPECT_EQ(error.Description().utf8(), "described");
  }
}

TEST(CurrentExceptionTest, OutsideAHandlerIsAnInvalidCall) {
  EXPECT_EQ(CurrentExceptionAsAutomationError().Number(), 5);
}

}  // namespace
}  // namespace orvulink::platform
