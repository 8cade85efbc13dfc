// One WinHTTP request from start to answer: the transport of the Windows HTTP client and probe
// browser. Failures raise an AutomationError numbered with WinHTTP's own 12xxx error.
#pragma once

#include <orvulink/automation.hpp>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

namespace orvulink::platform::windows {

struct TransferRequest {
  std::wstring method;  // L"GET" or L"POST"
  std::wstring url;
  std::string body;
  std::wstring headers;  // extra header lines, CR LF separated
  std::wstring proxy;    // "host:port", or empty for the system's configuration
  std::wstring proxyUserName;
  std::wstring proxyPassword;
  std::chrono::milliseconds timeout{0};  // 0: none
  bool allTlsVersions = false;
  bool followRedirects = false;
};

struct TransferAnswer {
  std::int32_t status = 0;
  std::wstring contentType;
  std::string body;
};

class Transfer {
 public:
  explicit Transfer(TransferRequest request) : request_(std::move(request)) {}
  ~Transfer();
  Transfer(const Transfer&) = delete;
  Transfer& operator=(const Transfer&) = delete;

  TransferAnswer Perform();
  // From any thread: the transfer in progress fails at once with "operation cancelled".
  void Cancel();

 private:
  void Open();
  void ApplyOptions();
  void SendAndReceive();
  bool AnswerProxyChallenge();
  TransferAnswer ReadAnswer();
  void CloseHandles();

  TransferRequest request_;
  std::mutex mutex_;  // guards the handles against Cancel from another thread
  void* session_ = nullptr;
  void* connection_ = nullptr;
  void* handle_ = nullptr;
  bool cancelled_ = false;
};

// WinHTTP's error for a cancelled or timed-out transfer and for a failed certificate check.
inline constexpr std::int32_t kWinHttpTimeout = 12002;
inline constexpr std::int32_t kWinHttpCancelled = 12017;
inline constexpr std::int32_t kWinHttpNameNotResolved = 12007;
inline constexpr std::int32_t kWinHttpCannotConnect = 12029;
inline constexpr std::int32_t kWinHttpSecureFailure = 12175;
// The certificate errors: 12037 (expired) to 12045 (unknown authority).
inline constexpr std::int32_t kWinHttpFirstCertificateError = 12037;
inline constexpr std::int32_t kWinHttpLastCertificateError = 12045;

}  // namespace orvulink::platform::windows
