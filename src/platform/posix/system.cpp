// The POSIX answers to the system layer: libcurl transports, the settings file under /etc,
// the C library's local time, the module file from the dynamic loader.
#include "platform/system.hpp"

#include "platform/posix/curl_http_client.hpp"
#include "platform/posix/curl_probe_browser.hpp"

#include <dlfcn.h>

#include <system_error>

namespace orvulink::platform::system {

std::unique_ptr<HttpClient> MakeHttpClient() {
  return MakeCurlHttpClient();
}

std::unique_ptr<ProbeBrowser> MakeProbeBrowser() {
  return MakeCurlProbeBrowser();
}

std::shared_ptr<SystemSettings> MakeSystemSettings() {
  return MakeFileSystemSettings("/etc/orvulink/orvulink.conf");
}

void ReadTimeZone() {
  tzset();
}

bool LocalTime(std::time_t when, std::tm& local) {
  return localtime_r(&when, &local) != nullptr;
}

std::filesystem::path ModuleFile() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&ModuleFile), &info) == 0 || info.dli_fname == nullptr)
    return {};
  std::error_code ignored;
  auto own = std::filesystem::weakly_canonical(info.dli_fname, ignored);
  return own.empty() ? std::filesystem::path(info.dli_fname) : own;
}

void DispatchThreadMessages() {}

}  // namespace orvulink::platform::system
