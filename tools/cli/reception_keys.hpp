// The account's reception keys as the commands reach them: filled from the gateway first.
#pragma once

#include <orvulink/control.hpp>
#include <orvulink/receive.hpp>

#include <memory>
#include <string>

namespace orvulink::cli {

// Fills the control's key list and returns it (never null after a successful fill).
std::shared_ptr<OrvuReceptionKeys> FilledReceptionKeys(OrvuLinkActiveX& control);

// The account's key named `key` (letter case aside); throws std::runtime_error naming it when
// the account owns no such key.
std::shared_ptr<OrvuReceptionKey> ReceptionKeyNamed(OrvuLinkActiveX& control,
                                                    const std::string& key);

}  // namespace orvulink::cli
