// The list of reception keys: insertion order, keys compared without regard to letter case,
// the store there from the start. Adding and releasing keys leave a trace in the log.
#include <orvulink/receive.hpp>

#include "gateway/log.hpp"
#include "platform/text.hpp"
#include "receive/access.hpp"
#include "receive/list_count.hpp"

#include <utility>

namespace orvulink {

OrvuReceptionKeys::~OrvuReceptionKeys() {
  gateway::WriteLog(u"Distrutto OrvuReceptionKeys");
}

OrvuReceptionKeys::KeyPtr OrvuReceptionKeys::ItemReceptionKey(const BStr& ReceptionKey) const {
  CheckThread();
  const auto found = byFoldedKey_.find(platform::FoldCase(ReceptionKey.str()));
  return found == byFoldedKey_.end() ? nullptr : found->second;
}

OrvuReceptionKeys::KeyPtr OrvuReceptionKeys::Item(std::int16_t Index) const {
  CheckThread();
  return receive::EntryAt<KeyPtr>(keys_, Index);
}

std::int16_t OrvuReceptionKeys::Count() const {
  CheckThread();
  return receive::ListCount(keys_.size());
}

std::shared_ptr<Enumerator<OrvuReceptionKeys::KeyPtr>> OrvuReceptionKeys::NewEnum() const {
  CheckThread();
  return std::make_shared<Enumerator<KeyPtr>>(keys_);
}

namespace receive {

std::shared_ptr<OrvuReceptionKeys> Access::NewKeyList() {
  return std::shared_ptr<OrvuReceptionKeys>(new OrvuReceptionKeys());
}

void Access::AddKey(OrvuReceptionKeys& list, std::shared_ptr<OrvuReceptionKey> key) {
  gateway::WriteLog(u"OrvuReceptionKeys\tAdd");
  auto folded = platform::FoldCase(KeyText(*key));
  if (list.byFoldedKey_.contains(folded)) return;
  list.byFoldedKey_.emplace(std::move(folded), key);
  list.keys_.push_back(std::move(key));
}

void Access::Release(OrvuReceptionKeys& list) {
  for (std::size_t i = 0; i < list.keys_.size(); ++i)
    gateway::WriteLog(u"OrvuReceptionKeys\tRemove");
  list.keys_.clear();
  list.byFoldedKey_.clear();
}

}  // namespace receive
}  // namespace orvulink
