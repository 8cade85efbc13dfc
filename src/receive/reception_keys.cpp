// The list of reception keys: insertion order, keys compared without regard to letter case,
// the store there from the start. Adding and releasing keys leave a trace in the log.
#include <orvulink/receive.hpp>

#include "gateway/log.hpp"
#include "platform/text.hpp"
#include "receive/access.hpp"
#include "receive/list_count.hpp"

#include <utility>

namespace orvulink {

OrvuReceptionKeys::OrvuReceptionKeys() : keys_(std::make_unique<receive::KeyList>()) {
  keys_->Create();
}

OrvuReceptionKeys::~OrvuReceptionKeys() {
  gateway::WriteLog(u"Distrutto OrvuReceptionKeys");
}

OrvuReceptionKeys::KeyPtr OrvuReceptionKeys::ItemReceptionKey(const BStr& ReceptionKey) const {
  CheckThread();
  return keys_->Find(ReceptionKey.str());
}

OrvuReceptionKeys::KeyPtr OrvuReceptionKeys::Item(std::int16_t Index) const {
  CheckThread();
  return keys_->At(Index);
}

std::int16_t OrvuReceptionKeys::Count() const {
  CheckThread();
  return receive::ListCount(keys_->Count());
}

std::shared_ptr<Enumerator<OrvuReceptionKeys::KeyPtr>> OrvuReceptionKeys::NewEnum() const {
  CheckThread();
  return std::make_shared<Enumerator<KeyPtr>>(keys_->Entries());
}

std::vector<OrvuReceptionKeys::KeyPtr>::const_iterator OrvuReceptionKeys::begin() const {
  CheckThread();
  return keys_->Entries().begin();
}
std::vector<OrvuReceptionKeys::KeyPtr>::const_iterator OrvuReceptionKeys::end() const {
  CheckThread();
  return keys_->Entries().end();
}

namespace receive {

std::shared_ptr<OrvuReceptionKeys> Access::NewKeyList() {
  return std::shared_ptr<OrvuReceptionKeys>(new OrvuReceptionKeys());
}

void Access::AddKey(OrvuReceptionKeys& list, std::shared_ptr<OrvuReceptionKey> key) {
  gateway::WriteLog(u"OrvuReceptionKeys\tAdd");
  const std::u16string text = KeyText(*key);
  list.keys_->Add(text, std::move(key));  // a key already listed stays as it is
}

void Access::Release(OrvuReceptionKeys& list) {
  for (std::size_t i = 0; i < list.keys_->Count(); ++i)
    gateway::WriteLog(u"OrvuReceptionKeys\tRemove");
  list.keys_->Release();
  list.keys_->Create();
}

}  // namespace receive
}  // namespace orvulink
