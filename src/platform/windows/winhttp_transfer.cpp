// A WinHTTP request: session, connection and request handles for one transfer, certificates
// always checked by the system's trust store, proxy credentials answered once.
#include "platform/windows/winhttp_transfer.hpp"

#include "platform/runtime_error.hpp"
#include "platform/windows/win32.hpp"

#include <winhttp.h>

#include <string>

namespace orvulink::platform::windows {
namespace {

[[noreturn]] void RaiseWinHttpError(DWORD error, const char* step) {
  throw AutomationError(static_cast<std::int32_t>(error), BStr(kErrorSource),
                        BStr(std::string("HTTP request failed: ") + step + ": WinHTTP error " +
                             std::to_string(error)));
}

void Check(BOOL ok, const char* step) {
  if (!ok) RaiseWinHttpError(GetLastError(), step);
}

DWORD Milliseconds(std::chrono::milliseconds duration) {
  return duration.count() <= 0 ? 0 : static_cast<DWORD>(duration.count());
}

struct UrlParts {
  std::wstring host;
  std::wstring path;
  INTERNET_PORT port = 0;
  bool secure = false;
};

UrlParts CrackUrl(const std::wstring& url) {
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = static_cast<DWORD>(-1);
  parts.dwUrlPathLength = static_cast<DWORD>(-1);
  parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  parts.dwSchemeLength = static_cast<DWORD>(-1);
  Check(WinHttpCrackUrl(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts), "address");
  UrlParts out;
  out.host.assign(parts.lpszHostName, parts.dwHostNameLength);
  out.path.assign(parts.lpszUrlPath, parts.dwUrlPathLength);
  if (parts.lpszExtraInfo != nullptr) out.path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  if (out.path.empty()) out.path = L"/";
  out.port = parts.nPort;
  out.secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
  return out;
}

std::wstring QueryText(HINTERNET request, DWORD what) {
  DWORD size = 0;
  WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, nullptr, &size,
                      WINHTTP_NO_HEADER_INDEX);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size == 0) return {};
  std::wstring text(size / sizeof(wchar_t), L'\0');
  if (!WinHttpQueryHeaders(request, what, WINHTTP_HEADER_NAME_BY_INDEX, text.data(), &size,
                           WINHTTP_NO_HEADER_INDEX)) {
    return {};
  }
  text.resize(size / sizeof(wchar_t));
  return text;
}

}  // namespace

Transfer::~Transfer() {
  CloseHandles();
}

TransferAnswer Transfer::Perform() {
  Open();
  ApplyOptions();
  SendAndReceive();
  if (AnswerProxyChallenge()) SendAndReceive();
  return ReadAnswer();
}

void Transfer::Cancel() {
  const std::lock_guard lock(mutex_);
  cancelled_ = true;
  // Closing the request handle ends a blocking call on it in the transfer's thread.
  if (handle_ != nullptr) WinHttpCloseHandle(static_cast<HINTERNET>(handle_));
  handle_ = nullptr;
}

void Transfer::Open() {
  const UrlParts url = CrackUrl(request_.url);
  const bool named = !request_.proxy.empty();
  const std::lock_guard lock(mutex_);
  if (cancelled_) RaiseWinHttpError(ERROR_WINHTTP_OPERATION_CANCELLED, "open");
  session_ = WinHttpOpen(
      L"OrvuLink", named ? WINHTTP_ACCESS_TYPE_NAMED_PROXY : WINHTTP_ACCESS_TYPE_DEFAULT_PROXY,
      named ? request_.proxy.c_str() : WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  Check(session_ != nullptr, "session");
  const DWORD timeout = Milliseconds(request_.timeout);
  Check(WinHttpSetTimeouts(session_, static_cast<int>(timeout), static_cast<int>(timeout),
                           static_cast<int>(timeout), static_cast<int>(timeout)),
        "time-outs");
  connection_ = WinHttpConnect(session_, url.host.c_str(), url.port, 0);
  Check(connection_ != nullptr, "connection");
  handle_ = WinHttpOpenRequest(connection_, request_.method.c_str(), url.path.c_str(), nullptr,
                               WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                               url.secure ? WINHTTP_FLAG_SECURE : 0);
  Check(handle_ != nullptr, "request");
}

void Transfer::ApplyOptions() {
  HINTERNET request = static_cast<HINTERNET>(handle_);
  if (!request_.followRedirects) {
    DWORD disable = WINHTTP_DISABLE_REDIRECTS;
    Check(WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &disable, sizeof disable),
          "redirects");
  }
  if (request_.allTlsVersions) {
    DWORD protocols = WINHTTP_FLAG_SECURE_PROTOCOL_ALL | WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_1 |
                      WINHTTP_FLAG_SECURE_PROTOCOL_TLS1_2;
    // An older system that knows fewer versions keeps its own choice.
    WinHttpSetOption(request, WINHTTP_OPTION_SECURE_PROTOCOLS, &protocols, sizeof protocols);
  }
}

void Transfer::SendAndReceive() {
  HINTERNET request = static_cast<HINTERNET>(handle_);
  const DWORD size = static_cast<DWORD>(request_.body.size());
  Check(WinHttpSendRequest(
            request,
            request_.headers.empty() ? WINHTTP_NO_ADDITIONAL_HEADERS : request_.headers.c_str(),
            static_cast<DWORD>(-1), size == 0 ? nullptr : request_.body.data(), size, size, 0),
        "send");
  Check(WinHttpReceiveResponse(request, nullptr), "receive");
}

// A proxy that asks for credentials gets them once, in the strongest scheme both sides know.
bool Transfer::AnswerProxyChallenge() {
  HINTERNET request = static_cast<HINTERNET>(handle_);
  DWORD status = 0;
  DWORD size = sizeof status;
  WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                      WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
  if (status != HTTP_STATUS_PROXY_AUTH_REQ || request_.proxyUserName.empty()) return false;
  DWORD supported = 0;
  DWORD first = 0;
  DWORD target = 0;
  if (!WinHttpQueryAuthSchemes(request, &supported, &first, &target)) return false;
  for (const DWORD scheme : {WINHTTP_AUTH_SCHEME_NEGOTIATE, WINHTTP_AUTH_SCHEME_NTLM,
                             WINHTTP_AUTH_SCHEME_DIGEST, WINHTTP_AUTH_SCHEME_BASIC}) {
    if ((supported & scheme) == 0) continue;
    return WinHttpSetCredentials(request, WINHTTP_AUTH_TARGET_PROXY, scheme,
                                 request_.proxyUserName.c_str(), request_.proxyPassword.c_str(),
                                 nullptr) != FALSE;
  }
  return false;
}

TransferAnswer Transfer::ReadAnswer() {
  HINTERNET request = static_cast<HINTERNET>(handle_);
  TransferAnswer answer;
  DWORD status = 0;
  DWORD size = sizeof status;
  Check(WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                            WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX),
        "status");
  answer.status = static_cast<std::int32_t>(status);
  answer.contentType = QueryText(request, WINHTTP_QUERY_CONTENT_TYPE);
  for (;;) {
    DWORD available = 0;
    Check(WinHttpQueryDataAvailable(request, &available), "answer");
    if (available == 0) break;
    const std::size_t at = answer.body.size();
    answer.body.resize(at + available);
    DWORD read = 0;
    Check(WinHttpReadData(request, answer.body.data() + at, available, &read), "answer");
    answer.body.resize(at + read);
    if (read == 0) break;
  }
  return answer;
}

void Transfer::CloseHandles() {
  const std::lock_guard lock(mutex_);
  for (void** handle : {&handle_, &connection_, &session_}) {
    if (*handle != nullptr) WinHttpCloseHandle(static_cast<HINTERNET>(*handle));
    *handle = nullptr;
  }
}

}  // namespace orvulink::platform::windows
