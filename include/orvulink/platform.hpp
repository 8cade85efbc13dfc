// The platform seams: small interfaces with a real default each, replaceable by hosts and tests.
// Setters return the previous implementation; passing null restores the real default.
#pragma once

#include <orvulink/automation.hpp>
#include <orvulink/export.hpp>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace orvulink::platform {

// ---- message pump ---------------------------------------------------------------------------
// PumpMessages() delivers the component's own posted events of this thread (the probe browser's)
// and then calls the host's hook of this thread, if any (for a GUI host: one step of its event
// loop). Hooks are per thread, like a window message queue.
using PumpHook = std::function<void()>;
ORVULINK_API PumpHook SetMessagePump(PumpHook hook);
ORVULINK_API void PumpMessages();

// ---- clock and sleep ------------------------------------------------------------------------
class ORVULINK_API Clock {
 public:
  virtual ~Clock();
  virtual Date Now() = 0;  // local wall clock
  virtual void Sleep(std::chrono::milliseconds duration) = 0;
};
ORVULINK_API std::shared_ptr<Clock> SetClock(std::shared_ptr<Clock> clock);
ORVULINK_API std::shared_ptr<Clock> GetClock();

// ---- online check ---------------------------------------------------------------------------
class ORVULINK_API OnlineCheck {
 public:
  virtual ~OnlineCheck();
  virtual bool IsOnline() = 0;
};
ORVULINK_API std::shared_ptr<OnlineCheck> SetOnlineCheck(std::shared_ptr<OnlineCheck> check);
ORVULINK_API std::shared_ptr<OnlineCheck> GetOnlineCheck();

// ---- user interface -------------------------------------------------------------------------
enum class MessageIcon { kCritical, kExclamation, kInformation };

struct AboutBox {
  BStr title;               // "OrvuLink"
  BStr version;             // "1.2.0"
  std::vector<BStr> lines;  // further lines: links, support address
};

class ORVULINK_API UserInterface {
 public:
  virtual ~UserInterface();
  // Modal: each returns when the user has dismissed it.
  virtual void MessageBox(const BStr& text, const BStr& title, MessageIcon icon) = 0;
  virtual void ShowAboutBox(const AboutBox& box) = 0;
  virtual void ShowHelpContents(const std::string& helpFile) = 0;
};
ORVULINK_API std::shared_ptr<UserInterface> SetUserInterface(std::shared_ptr<UserInterface> ui);
ORVULINK_API std::shared_ptr<UserInterface> GetUserInterface();

// ---- installation-folder lookup (stands in for the registry) --------------------------------
// Status codes as the registry gives them: 0 success, 2 not found.
inline constexpr std::int32_t kSettingFound = 0;
inline constexpr std::int32_t kSettingNotFound = 2;

class ORVULINK_API SystemSettings {
 public:
  virtual ~SystemSettings();
  // Reads the text value `valueName` under `key`; returns the status.
  virtual std::int32_t ReadText(const std::string& key, const std::string& valueName,
                                BStr& value) = 0;
};
ORVULINK_API std::shared_ptr<SystemSettings> SetSystemSettings(
    std::shared_ptr<SystemSettings> settings);
ORVULINK_API std::shared_ptr<SystemSettings> GetSystemSettings();
// The real default reads `Key=Value` lines of this file (default /etc/orvulink/orvulink.conf).
ORVULINK_API std::shared_ptr<SystemSettings> MakeFileSystemSettings(std::string path);

// ---- HTTP client (one per exchange) ---------------------------------------------------------
class ORVULINK_API HttpClient {
 public:
  virtual ~HttpClient();
  virtual void SetProxy(const BStr& hostPort) = 0;  // "host:port", or "" for none
  virtual void SetProxyUserName(const BStr& name) = 0;
  virtual void SetProxyPassword(const BStr& password) = 0;
  // On for an https address: every TLS version the transport offers, certificates verified.
  virtual void UseTls(bool on) = 0;
  virtual void SetAddress(const BStr& url) = 0;
  virtual void Reset() = 0;  // before each try
  virtual void SetTimeout(std::chrono::milliseconds timeout) = 0;
  // POSTs `body` to the address; returns the answer's body text ("" when none arrived).
  // May raise an AutomationError; the exchange tolerates it.
  virtual BStr Send(const BStr& body) = 0;
  // "OK" after a successful request, "Unauthorized" when refused for credentials, the
  // standard reason phrase of other HTTP statuses, "" when no status arrived.
  virtual BStr StatusText() = 0;
  // The HTTP status when one arrived, else the transport's failure code; 0 before any send.
  virtual std::int32_t StatusCode() = 0;
};
using HttpClientFactory = std::function<std::unique_ptr<HttpClient>()>;
ORVULINK_API HttpClientFactory SetHttpClientFactory(HttpClientFactory factory);
ORVULINK_API std::unique_ptr<HttpClient> MakeHttpClient();

// ---- probe browser (one per probe) ----------------------------------------------------------
// Its events arrive only through PumpMessages() on the thread that created it.
struct ProbeBrowserEvents {
  std::function<void(std::int32_t progress, std::int32_t progressMax)> ProgressChange;
  std::function<void(const BStr& url)> NavigateComplete2;
  std::function<void(const BStr& url, std::int32_t statusCode)> NavigateError;
};

class ORVULINK_API ProbeBrowser {
 public:
  virtual ~ProbeBrowser();
  virtual void SetEvents(ProbeBrowserEvents events) = 0;
  virtual void SetAddressBar(bool visible) = 0;
  virtual void SetStatusBar(bool visible) = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool Busy() = 0;
  virtual void Navigate2(const BStr& url) = 0;  // raises an AutomationError when it cannot start
  virtual void Navigate(const BStr& url) = 0;   // likewise
  virtual void Stop() = 0;
  virtual void Quit() = 0;
  // The document's body text; raise an AutomationError while there is no document.
  virtual void SetDocumentBodyText(const BStr& text) = 0;
  virtual BStr DocumentBodyText() = 0;
  virtual BStr DocumentReadyState() = 0;
};
using ProbeBrowserFactory = std::function<std::unique_ptr<ProbeBrowser>()>;
ORVULINK_API ProbeBrowserFactory SetProbeBrowserFactory(ProbeBrowserFactory factory);
// Raises an AutomationError when no browser can be created.
ORVULINK_API std::unique_ptr<ProbeBrowser> MakeProbeBrowser();

}  // namespace orvulink::platform
