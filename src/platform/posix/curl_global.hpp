// libcurl's process-wide start and the pieces every libcurl transfer of the platform layer shares:
// the easy-handle owner with checked options, the trust settings and the answer's text.
#pragma once

#include <curl/curl.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

namespace orvulink::platform {

// Starts libcurl once per process, on first need (never during static initialisation). libcurl
// is never shut down: transfers of other threads may still be running at exit. Raises an
// AutomationError when libcurl cannot start.
void EnsureCurlGlobalInit();

// libcurl failures travel as automation errors numbered like the Windows internet library's
// 12xxx family: 12000 + the CURLcode.
inline constexpr std::int32_t kCurlErrorBase = 12000;
constexpr std::int32_t CurlErrorNumber(CURLcode code) {
  return kCurlErrorBase + static_cast<std::int32_t>(code);
}

// A duration as libcurl's millisecond options take it (a negative one as 0).
long CurlMilliseconds(std::chrono::milliseconds duration);

// Owns one easy handle with its header list and error buffer; every option it sets is checked.
class CurlEasy {
 public:
  CurlEasy();  // raises an AutomationError when libcurl has no handle to give
  ~CurlEasy();
  CurlEasy(const CurlEasy&) = delete;
  CurlEasy& operator=(const CurlEasy&) = delete;

  CURL* get() const noexcept { return handle_; }

  // Sets one option; a refusal raises an AutomationError naming the option. Only the argument
  // types libcurl reads are accepted, so an int can never slip through its varargs as a long.
  template <class Value>
  void Set(CURLoption option, Value value) {
    static_assert(std::is_same_v<Value, long> || std::is_same_v<Value, curl_off_t> ||
                      std::is_pointer_v<Value>,
                  "libcurl options take a long, a curl_off_t or a pointer");
    Check(option, curl_easy_setopt(handle_, option, value));
  }
  void Set(CURLoption option, const std::string& text) { Set(option, text.c_str()); }

  // Forgets every option (the connection cache stays) and re-attaches the error buffer.
  void ResetOptions();
  // Sends these request header lines; the list lives as long as the handle.
  void SetHeaders(std::initializer_list<const char*> lines);
  // What went wrong: libcurl's detailed message when it left one, else the code's text.
  std::string ErrorText(CURLcode code) const;

 private:
  void Check(CURLoption option, CURLcode result) const;

  CURL* handle_;
  curl_slist* headers_ = nullptr;
  std::array<char, CURL_ERROR_SIZE> error_{};
};

// Peer and host verification on (never switchable); the PEM bundle named by ORVULINK_CA_FILE,
// read now, trusted beside the system's certificate authorities.
void ApplyCurlTrustSettings(CurlEasy& easy);

// Only http and https, for the address and for every redirect.
void RestrictCurlToWeb(CurlEasy& easy);

// libcurl callbacks that collect what arrives in a std::string passed as their user data.
std::size_t AppendToString(char* data, std::size_t size, std::size_t count, void* target);

// The Content-Type of the last answer, "" when it had none.
std::string CurlContentType(const CurlEasy& easy);

}  // namespace orvulink::platform
