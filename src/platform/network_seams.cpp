// The network seams' factories: process-wide, replaceable by hosts and tests, the system's
// transport by default.
#include "platform/runtime_error.hpp"
#include "platform/system.hpp"

#include <orvulink/platform.hpp>

#include <mutex>
#include <utility>

namespace orvulink::platform {
namespace {

// The automation runtime's error for an object that cannot be created.
constexpr std::int32_t kErrCannotCreateObject = 429;

struct NetworkFactories {
  std::mutex mutex;
  HttpClientFactory httpClient;
  ProbeBrowserFactory probeBrowser;
};

NetworkFactories& Factories() {
  static NetworkFactories factories;
  return factories;
}

template <class Factory>
Factory Exchange(Factory NetworkFactories::*slot, Factory replacement) {
  NetworkFactories& factories = Factories();
  const std::lock_guard lock(factories.mutex);
  return std::exchange(factories.*slot, std::move(replacement));
}

// A copy taken under the lock: the factory itself runs unlocked, so it may use the setters.
template <class Factory>
Factory Current(Factory NetworkFactories::*slot) {
  NetworkFactories& factories = Factories();
  const std::lock_guard lock(factories.mutex);
  return factories.*slot;
}

[[noreturn]] void RaiseCannotCreate(const char* what) {
  throw AutomationError(kErrCannotCreateObject, BStr(platform::kErrorSource),
                        BStr(std::string("Cannot create the ") + what));
}

}  // namespace

HttpClient::~HttpClient() = default;
ProbeBrowser::~ProbeBrowser() = default;

HttpClientFactory SetHttpClientFactory(HttpClientFactory factory) {
  return Exchange(&NetworkFactories::httpClient, std::move(factory));
}

std::unique_ptr<HttpClient> MakeHttpClient() {
  const HttpClientFactory factory = Current(&NetworkFactories::httpClient);
  std::unique_ptr<HttpClient> client = factory ? factory() : system::MakeHttpClient();
  if (!client) RaiseCannotCreate("HTTP client");
  return client;
}

ProbeBrowserFactory SetProbeBrowserFactory(ProbeBrowserFactory factory) {
  return Exchange(&NetworkFactories::probeBrowser, std::move(factory));
}

std::unique_ptr<ProbeBrowser> MakeProbeBrowser() {
  const ProbeBrowserFactory factory = Current(&NetworkFactories::probeBrowser);
  std::unique_ptr<ProbeBrowser> browser = factory ? factory() : system::MakeProbeBrowser();
  if (!browser) RaiseCannotCreate("probe browser");
  return browser;
}

}  // namespace orvulink::platform
