#include "gateway/startup.hpp"

#include "gateway/exchange_form.hpp"
#include "gateway/log.hpp"

#include <filesystem>
#include <system_error>

namespace orvulink::gateway {

void Main() noexcept {
  CloseLog();
  const auto path = LogPath();
  if (FileExists(path)) {
    std::error_code ignored;
    std::filesystem::remove(path, ignored);
  }
  auto& form = ThisThreadExchangeForm();
  form.iNavigateState = 0;
  WriteLog(u"Main " + LogStamp());
}

void EnsureThreadStarted() noexcept {
  thread_local bool started = false;
  if (started) return;
  started = true;
  Main();
}

}  // namespace orvulink::gateway
