// The help contents for hosts: the lookup of the help file lives with the installation-folder
// setting, where the component's other registry stand-in is read.
#include <orvulink/design.hpp>

#include "gateway/system_settings.hpp"

namespace orvulink {

void ShowHelpContents() {
  gateway::ShowHelpContents();
}

}  // namespace orvulink
