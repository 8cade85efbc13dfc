#include "reception_keys.hpp"

#include <stdexcept>

namespace orvulink::cli {

std::shared_ptr<OrvuReceptionKeys> FilledReceptionKeys(OrvuLinkActiveX& control) {
  control.FillReceptionKeys();
  auto keys = control.ReceptionKeys();
  if (!keys) throw std::logic_error("the control filled no reception-key list");
  return keys;
}

std::shared_ptr<OrvuReceptionKey> ReceptionKeyNamed(OrvuLinkActiveX& control,
                                                    const std::string& key) {
  auto found = FilledReceptionKeys(control)->ItemReceptionKey(key);
  if (!found) throw std::runtime_error("the account has no reception key \"" + key + "\"");
  return found;
}

}  // namespace orvulink::cli
