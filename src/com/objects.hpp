// The COM objects of the core's automation classes: how a core object is handed to a host, and
// the small helpers every adapter method uses (result conversion, enumerators).
#pragma once

#include "com/dispatch.hpp"

#include <memory>
#include <type_traits>

namespace orvulink::com {

// The COM object serving each core class (a new reference; null for null).
_OrvuLinkActiveX* ServeObject(const std::shared_ptr<OrvuLinkActiveX>& core);
_OrvuSendMessages* ServeObject(const std::shared_ptr<OrvuSendMessages>& core);
_OrvuSendMessage* ServeObject(const std::shared_ptr<OrvuSendMessage>& core);
_OrvuSendOrderID* ServeObject(const std::shared_ptr<OrvuSendOrderID>& core);
_OrvuNotifiedMessages* ServeObject(const std::shared_ptr<OrvuNotifiedMessages>& core);
_OrvuNotifiedOrderID* ServeObject(const std::shared_ptr<OrvuNotifiedOrderID>& core);
_OrvuNotifiedMessage* ServeObject(const std::shared_ptr<OrvuNotifiedMessage>& core);
_OrvuReceptionKeys* ServeObject(const std::shared_ptr<OrvuReceptionKeys>& core);
_OrvuReceptionKey* ServeObject(const std::shared_ptr<OrvuReceptionKey>& core);
_OrvuReceivedMessages* ServeObject(const std::shared_ptr<OrvuReceivedMessages>& core);
_OrvuReceivedMessage* ServeObject(const std::shared_ptr<OrvuReceivedMessage>& core);

inline void Store(BSTR* out, const BStr& value) {
  *out = ToBstr(value);
}
inline void Store(short* out, std::int16_t value) {
  *out = value;
}
inline void Store(double* out, double value) {
  *out = value;
}
inline void Store(VARIANT_BOOL* out, VariantBool value) {
  *out = ToVariantBool(value);
}
inline void Store(DATE* out, Date value) {
  *out = value.value;
}
template <class ComEnum, class CoreEnum>
requires std::is_enum_v<ComEnum> && std::is_enum_v<CoreEnum>
void Store(ComEnum* out, CoreEnum value) {
  *out = static_cast<ComEnum>(value);
}
template <class Interface, class Core>
void Store(Interface** out, const std::shared_ptr<Core>& value) {
  *out = ServeObject(value);
}

// A property get or method result: converted into `out`, failures reported.
template <class Out, class Body>
HRESULT Get(Out* out, Body&& body) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = Out{};
  return Guarded([&] { Store(out, body()); });
}

// An IEnumVARIANT over a core enumerator (null for a null enumerator), as For Each takes it.
IUnknown* MakeEnumerator(std::shared_ptr<Enumerator<BStr>> items);
IUnknown* MakeEnumerator(std::shared_ptr<Enumerator<std::shared_ptr<OrvuSendMessage>>> items);
IUnknown* MakeEnumerator(std::shared_ptr<Enumerator<std::shared_ptr<OrvuNotifiedOrderID>>> items);
IUnknown* MakeEnumerator(std::shared_ptr<Enumerator<std::shared_ptr<OrvuNotifiedMessage>>> items);
IUnknown* MakeEnumerator(std::shared_ptr<Enumerator<std::shared_ptr<OrvuReceptionKey>>> items);
IUnknown* MakeEnumerator(std::shared_ptr<Enumerator<std::shared_ptr<OrvuReceivedMessage>>> items);

template <class Core>
HRESULT NewEnumOf(const Core& core, IUnknown** out) noexcept {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  return Guarded([&] { *out = MakeEnumerator(core.NewEnum()); });
}

}  // namespace orvulink::com
