// Shared helpers of the unit tests: automation-error assertions and recording fakes for the
// user-interface and settings seams, installed for the life of a scope.
#pragma once

#include <gtest/gtest.h>

#include <openssl/evp.h>
#include "percent_encoded.hpp"

#include <orvulink/automation.hpp>
#include <orvulink/platform.hpp>

#include <stdlib.h>

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace orvulink::testing {

// Runs `body` and returns the automation error it raised (fails the test when none).
template <class Body>
std::optional<AutomationError> CatchAutomationError(Body&& body) {
  try {
    std::forward<Body>(body)();
  } catch (const AutomationError& error) {
    return error;
  }
  ADD_FAILURE() << "no automation error was raised";
  return std::nullopt;
}

// The number of the automation error `body` raised, 0 when it raised none.
template <class Body>
std::int32_t RaisedNumber(Body&& body) {
  try {
    std::forward<Body>(body)();
  } catch (const AutomationError& error) {
    return error.Number();
  }
  return 0;
}

// OpenSSL's MD5 of `bytes` as lower-case hex: the reference our own digest is checked against.
inline std::string OpenSslMd5Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
  static constexpr char kHex[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i)
    hex += {kHex[digest[i] >> 4], kHex[digest[i] & 15]};
  return hex;
}

// Asserts that `action` raises the automation error `number`.
template <class Action>
::testing::AssertionResult RaisesError(std::int32_t number, Action&& action) {
  const std::int32_t raised = RaisedNumber(std::forward<Action>(action));
  if (raised == number && number != 0) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "raised " << raised << ", expected " << number;
}

struct RecordingUserInterface : platform::UserInterface {
  std::vector<platform::AboutBox> aboutBoxes;
  std::vector<std::string> helpFiles;

  void MessageBox(const BStr&, const BStr&, platform::MessageIcon) override {}
  void ShowAboutBox(const platform::AboutBox& box) override { aboutBoxes.push_back(box); }
  void ShowHelpContents(const std::string& helpFile) override { helpFiles.push_back(helpFile); }
};

struct MapSystemSettings : platform::SystemSettings {
  std::map<std::string, std::string> values;  // value name -> text
  std::int32_t ReadText(const std::string&, const std::string& valueName, BStr& value) override {
    auto found = values.find(valueName);
    if (found == values.end()) return platform::kSettingNotFound;
    value = found->second;
    return platform::kSettingFound;
  }
};

// Installs a seam implementation for the life of the scope, then restores the previous one.
template <class Seam, auto Setter>
class ScopedSeam {
 public:
  explicit ScopedSeam(std::shared_ptr<Seam> replacement) : previous_(Setter(replacement)) {}
  ~ScopedSeam() { Setter(previous_); }
  ScopedSeam(const ScopedSeam&) = delete;
  ScopedSeam& operator=(const ScopedSeam&) = delete;

 private:
  std::shared_ptr<Seam> previous_;
};

using ScopedUserInterface = ScopedSeam<platform::UserInterface, &platform::SetUserInterface>;
using ScopedSystemSettings = ScopedSeam<platform::SystemSettings, &platform::SetSystemSettings>;
using ScopedClock = ScopedSeam<platform::Clock, &platform::SetClock>;
using ScopedOnlineCheck = ScopedSeam<platform::OnlineCheck, &platform::SetOnlineCheck>;

// A clock that stands still unless a test moves it; Sleep advances it and records the pause.
struct FakeClock : platform::Clock {
  Date now = Date::FromParts({2006, 1, 20, 15, 30, 45});
  std::vector<std::chrono::milliseconds> sleeps;
  Date Now() override { return now; }
  void Sleep(std::chrono::milliseconds duration) override {
    sleeps.push_back(duration);
    now.value += static_cast<double>(duration.count()) / 86'400'000.0;
  }
};

// A private folder under the system's temporary one, removed with all it holds.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "orvulink-unit-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp");
    path_ = pattern;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace orvulink::testing
