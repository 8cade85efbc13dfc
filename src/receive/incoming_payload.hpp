// Reading the payload of a download (command 4): "count" + " " + messages, the messages
// separated by character 31, each one date TAB time TAB sender TAB text.
#pragma once

#include <orvulink/receive.hpp>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace orvulink::receive {

struct DownloadPayload {
  std::int16_t count = 0;   // as the gateway announced it; only compared with 1
  std::u16string messages;  // everything after the first space
};

// The count is the text up to and including the first space, read as an Integer: a payload
// without a space raises 13 (type mismatch), a count beyond an Integer raises 6.
DownloadPayload SplitDownloadPayload(std::u16string_view payload);

// One message per part of the list, in order, however many the count announced. A field that
// is missing or unreadable leaves its value at the start value; the message is kept.
std::shared_ptr<OrvuReceivedMessages> ReadMessageList(std::u16string_view messages);

}  // namespace orvulink::receive
