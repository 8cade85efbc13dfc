// The answer decoder: whatever the gateway sends, DecodeAnswer either accepts a "01" answer or
// raises exactly the error it also stores in the state, and Payload never reaches past the text.
#include "core/control_state.hpp"
#include "fuzz_support.hpp"
#include "gateway/answer.hpp"

#include <orvulink/enums.hpp>

namespace {

using orvulink::AutomationError;
using orvulink::fuzz::UnitsFromBytes;

void CheckDecode(std::u16string_view answer) {
  orvulink::core::ControlState state;
  state.ErrCode = 5;
  state.ErrDescription = u"earlier";
  try {
    orvulink::gateway::DecodeAnswer(state, answer);
  } catch (const AutomationError& error) {
    ORVULINK_FUZZ_CHECK(!answer.starts_with(u"01"));
    ORVULINK_FUZZ_CHECK(answer.empty() == (error.Number() == orvulink::ORVULINK_ERROR_NETWORK));
    ORVULINK_FUZZ_CHECK(state.ErrCode == static_cast<std::int16_t>(error.Number()));
    ORVULINK_FUZZ_CHECK(state.ErrDescription == error.Description().str());
    ORVULINK_FUZZ_CHECK(!state.ErrDescription.empty());
    ORVULINK_FUZZ_CHECK(error.Source().str() == u"OrvuLink");
    return;
  }
  ORVULINK_FUZZ_CHECK(answer.starts_with(u"01"));
  ORVULINK_FUZZ_CHECK(state.ErrCode == 5);  // success leaves the number alone
  // Success changes the description only through a "<pre>" message, and the message is part of
  // the answer (less its tags and outer blanks).
  if (state.ErrDescription != u"earlier") {
    ORVULINK_FUZZ_CHECK(state.ErrDescription.size() <= answer.size());
    ORVULINK_FUZZ_CHECK(answer.find(u"<pre>") != std::u16string_view::npos);
  }
}

void CheckPayload(std::u16string_view answer) {
  const std::u16string payload = orvulink::gateway::Payload(answer);
  if (answer.size() <= 3) {
    ORVULINK_FUZZ_CHECK(payload.empty());
  } else {
    ORVULINK_FUZZ_CHECK(payload == answer.substr(3));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::u16string answer = UnitsFromBytes(data, size);
  CheckDecode(answer);
  CheckPayload(answer);
  return 0;
}
