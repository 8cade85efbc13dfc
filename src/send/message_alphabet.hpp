// The characters a message text may carry.
#pragma once

namespace orvulink::send {

bool InMessageAlphabet(char16_t unit);

}  // namespace orvulink::send
