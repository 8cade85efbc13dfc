#include "receive/key_list.hpp"

#include "core/error_exit.hpp"
#include "platform/text.hpp"
#include "receive/access.hpp"

#include <utility>

namespace orvulink::receive {
namespace {

constexpr std::u16string_view kNoKeys = u"NULL";
constexpr char16_t kKeySeparator = u',';

// The refresh may fail; the key keeps what it reached and is listed all the same.
std::shared_ptr<OrvuReceptionKey> ListedKey(std::u16string text) {
  auto key = Access::NewKey();
  Access::SetKeyReceived(*key, std::move(text));
  core::Suppressed([&] { key->Update(); });
  return key;
}

}  // namespace

std::vector<std::u16string> TakeKeyListPieces(std::u16string& keyList) {
  if (keyList.empty() || keyList == kNoKeys) return {};
  if (keyList.back() == kKeySeparator) keyList.pop_back();
  return platform::Split(keyList, std::u16string_view(&kKeySeparator, 1));
}

std::shared_ptr<OrvuReceptionKeys> RenewReceptionKeys(core::ControlState& state) {
  ReleaseReceptionKeys(state);
  state.ReceptionKeys = Access::NewKeyList();
  return state.ReceptionKeys;
}

void AddListedKeys(core::ControlState& state, OrvuReceptionKeys& list) noexcept {
  core::Suppressed([&] {
    for (std::u16string& piece : TakeKeyListPieces(state.ReceptionKeyList))
      Access::AddKey(list, ListedKey(std::move(piece)));
  });
}

void ReleaseReceptionKeys(core::ControlState& state) {
  if (state.ReceptionKeys) Access::Release(*state.ReceptionKeys);
  state.ReceptionKeys.reset();
}

}  // namespace orvulink::receive
