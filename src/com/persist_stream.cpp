// Settings in a stream: the control writes them into a memory bag exactly as into a container's
// bag, and the bag's entries travel as length-prefixed texts, so any value (a password with
// line breaks or "=") reads back as it was.
#include "com/persist_stream.hpp"

#include <cstdint>
#include <string>

namespace orvulink::com {
namespace {

constexpr std::int32_t kErrBadFileFormat = 321;  // the runtime's "Invalid file format"
constexpr std::uint32_t kMaxEntries = 64;
constexpr std::uint32_t kMaxUnits = 1u << 16;

[[noreturn]] void RaiseBadFormat() {
  throw AutomationError(kErrBadFileFormat, BStr(u"OrvuLink"), BStr("Invalid file format"));
}

void WriteAll(IStream& stream, const void* data, ULONG size) {
  ULONG written = 0;
  if (FAILED(stream.Write(data, size, &written)) || written != size)
    throw AutomationError(75, BStr(u"OrvuLink"), BStr("Path/File access error"));
}

void ReadAll(IStream& stream, void* data, ULONG size) {
  ULONG read = 0;
  if (FAILED(stream.Read(data, size, &read)) || read != size) RaiseBadFormat();
}

void WriteText(IStream& stream, const std::u16string& text) {
  const auto units = static_cast<std::uint32_t>(text.size());
  WriteAll(stream, &units, sizeof units);
  WriteAll(stream, text.data(), static_cast<ULONG>(units * sizeof(char16_t)));
}

std::u16string ReadText(IStream& stream) {
  std::uint32_t units = 0;
  ReadAll(stream, &units, sizeof units);
  if (units > kMaxUnits) RaiseBadFormat();
  std::u16string text(units, u'\0');
  ReadAll(stream, text.data(), static_cast<ULONG>(units * sizeof(char16_t)));
  return text;
}

}  // namespace

void SaveSettings(OrvuLinkActiveX& control, IStream& stream) {
  MemoryPropertyBag bag;
  control.WriteProperties(bag);
  const auto count = static_cast<std::uint32_t>(bag.Entries().size());
  WriteAll(stream, &count, sizeof count);
  for (const auto& [key, value] : bag.Entries()) {
    WriteText(stream, key.str());
    WriteText(stream, value.ToText().str());
  }
}

void LoadSettings(OrvuLinkActiveX& control, IStream& stream) {
  std::uint32_t count = 0;
  ReadAll(stream, &count, sizeof count);
  if (count > kMaxEntries) RaiseBadFormat();
  MemoryPropertyBag bag;
  for (std::uint32_t i = 0; i < count; ++i) {
    BStr key(ReadText(stream));
    bag.Set(key, Variant(BStr(ReadText(stream))));
  }
  control.ReadProperties(bag);
}

}  // namespace orvulink::com
