// libcurl's process-wide start and the shared pieces of the platform's transfers.
#include "platform/posix/curl_global.hpp"

#include "platform/runtime_error.hpp"
#include "platform/text.hpp"

#include <orvulink/automation.hpp>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <new>

namespace orvulink::platform {
namespace {

constexpr const char* kCaFileVariable = "ORVULINK_CA_FILE";
constexpr const char* kSystemCaDirectory = "/etc/ssl/certs";

[[noreturn]] void RaiseCurlError(CURLcode code, const std::string& what) {
  throw AutomationError(CurlErrorNumber(code), BStr(kErrorSource), BStr(what));
}

std::string OptionName(CURLoption option) {
  const curl_easyoption* known = curl_easy_option_by_id(option);
  return known != nullptr ? std::string("CURLOPT_") + known->name
                          : "option " + std::to_string(static_cast<int>(option));
}

}  // namespace

void EnsureCurlGlobalInit() {
  static std::once_flag started;
  // A failed start leaves the flag unset (the exception escapes call_once): the next client
  // tries again.
  std::call_once(started, [] {
    const CURLcode result = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (result != CURLE_OK) {
      RaiseCurlError(result, std::string("libcurl could not start: ") + curl_easy_strerror(result));
    }
  });
}

long CurlMilliseconds(std::chrono::milliseconds duration) {
  return static_cast<long>(std::max<std::chrono::milliseconds::rep>(duration.count(), 0));
}

CurlEasy::CurlEasy() : handle_(curl_easy_init()) {
  if (handle_ == nullptr) RaiseCurlError(CURLE_FAILED_INIT, "libcurl has no transfer handle");
  try {
    ResetOptions();
  } catch (...) {
    curl_easy_cleanup(handle_);
    throw;
  }
}

CurlEasy::~CurlEasy() {
  curl_easy_cleanup(handle_);
  curl_slist_free_all(headers_);
}

void CurlEasy::ResetOptions() {
  curl_easy_reset(handle_);
  error_.fill('\0');
  Set(CURLOPT_ERRORBUFFER, error_.data());
  // Time-outs must not raise SIGALRM in a host that may run several threads.
  Set(CURLOPT_NOSIGNAL, 1L);
}

void CurlEasy::SetHeaders(std::initializer_list<const char*> lines) {
  curl_slist* list = nullptr;
  for (const char* line : lines) {
    curl_slist* longer = curl_slist_append(list, line);
    if (longer == nullptr) {
      curl_slist_free_all(list);
      throw std::bad_alloc();
    }
    list = longer;
  }
  try {
    Set(CURLOPT_HTTPHEADER, list);
  } catch (...) {
    curl_slist_free_all(list);
    throw;
  }
  curl_slist_free_all(headers_);
  headers_ = list;
}

std::string CurlEasy::ErrorText(CURLcode code) const {
  if (error_[0] != '\0') return std::string(error_.data());
  return curl_easy_strerror(code);
}

void CurlEasy::Check(CURLoption option, CURLcode result) const {
  if (result == CURLE_OK) return;
  RaiseCurlError(result, "cannot set " + OptionName(option) + ": " + curl_easy_strerror(result));
}

void ApplyCurlTrustSettings(CurlEasy& easy) {
  easy.Set(CURLOPT_SSL_VERIFYPEER, 1L);
  easy.Set(CURLOPT_SSL_VERIFYHOST, 2L);
  const char* caFile = std::getenv(kCaFileVariable);
  if (caFile == nullptr || *caFile == '\0') return;  // libcurl's built-in bundle applies
  // The named bundle replaces libcurl's default file; the system's directory keeps the
  // system's authorities trusted beside it.
  easy.Set(CURLOPT_CAINFO, caFile);
  std::error_code ignored;
  if (std::filesystem::is_directory(kSystemCaDirectory, ignored)) {
    easy.Set(CURLOPT_CAPATH, kSystemCaDirectory);
  }
}

void RestrictCurlToWeb(CurlEasy& easy) {
  easy.Set(CURLOPT_PROTOCOLS_STR, "http,https");
  easy.Set(CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
}

std::size_t AppendToString(char* data, std::size_t size, std::size_t count, void* target) {
  const std::size_t bytes = size * count;
  try {
    static_cast<std::string*>(target)->append(data, bytes);
  } catch (...) {
    return 0;  // libcurl ends the transfer with a write error; nothing may unwind through C
  }
  return bytes;
}

std::string CurlContentType(const CurlEasy& easy) {
  char* contentType = nullptr;
  if (curl_easy_getinfo(easy.get(), CURLINFO_CONTENT_TYPE, &contentType) != CURLE_OK ||
      contentType == nullptr) {
    return {};
  }
  return contentType;
}

}  // namespace orvulink::platform
