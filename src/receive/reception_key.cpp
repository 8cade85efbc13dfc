// A reception key's values and the internal operations that write them.
#include <orvulink/receive.hpp>

#include "receive/access.hpp"

#include <utility>

namespace orvulink {

std::int16_t OrvuReceptionKey::MessageFromRecive() const {
  CheckThread();
  return messageFromRecive_;
}
std::shared_ptr<OrvuReceivedMessages> OrvuReceptionKey::ReceivedMessages() const {
  CheckThread();
  return receivedMessages_;
}
BStr OrvuReceptionKey::TextAutoResponder() const {
  CheckThread();
  return textAutoResponder_;
}
BStr OrvuReceptionKey::KeyReceived() const {
  CheckThread();
  return keyReceived_;
}

namespace receive {

std::shared_ptr<OrvuReceptionKey> Access::NewKey() {
  return std::shared_ptr<OrvuReceptionKey>(new OrvuReceptionKey());
}

const std::u16string& Access::KeyText(const OrvuReceptionKey& key) {
  return key.keyReceived_;
}

// Messages downloaded under the old text do not belong to the new one.
void Access::SetKeyReceived(OrvuReceptionKey& key, std::u16string keyReceived) {
  if (!key.keyReceived_.empty()) {
    key.keyReceived_.clear();
    DropReceivedMessages(key);
  }
  key.keyReceived_ = std::move(keyReceived);
}

void Access::SetTextAutoResponder(OrvuReceptionKey& key, std::u16string text) {
  key.textAutoResponder_ = std::move(text);
}

void Access::SetMessageFromRecive(OrvuReceptionKey& key, std::int16_t count) {
  key.messageFromRecive_ = count;
}

void Access::DropReceivedMessages(OrvuReceptionKey& key) {
  if (key.receivedMessages_) Release(*key.receivedMessages_);
  key.receivedMessages_.reset();
}

void Access::ReplaceReceivedMessages(OrvuReceptionKey& key,
                                     std::shared_ptr<OrvuReceivedMessages> list) {
  DropReceivedMessages(key);
  key.receivedMessages_ = std::move(list);
}

}  // namespace receive
}  // namespace orvulink
