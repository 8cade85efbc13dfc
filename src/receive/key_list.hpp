// The thread's list of reception keys, built from the key-list text of the user information.
#pragma once

#include <orvulink/receive.hpp>

#include "core/control_state.hpp"

#include <memory>
#include <string>
#include <vector>

namespace orvulink::receive {

// The keys of a key-list text: separated by ",", one "," at the end ignored (and removed from
// `keyList` itself); "" or exactly "NULL" lists none.
std::vector<std::u16string> TakeKeyListPieces(std::u16string& keyList);

// Empties the thread's current list, if any, and stores a new empty one in its place.
std::shared_ptr<OrvuReceptionKeys> RenewReceptionKeys(core::ControlState& state);

// One key per piece of ReceptionKeyList, each refreshed (Update) before it joins the list.
// Never raises: a key whose refresh fails joins with the values it reached.
void AddListedKeys(core::ControlState& state, OrvuReceptionKeys& list) noexcept;

// The control end's part: empties the thread's list and lets go of it.
void ReleaseReceptionKeys(core::ControlState& state);

}  // namespace orvulink::receive
