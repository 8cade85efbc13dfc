// What differs per operating system behind the seams: each system folder (posix/, windows/)
// defines these once, and the shared platform code builds the seams' real defaults from them.
#pragma once

#include <orvulink/platform.hpp>

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace orvulink::platform::system {

std::unique_ptr<HttpClient> MakeHttpClient();
std::unique_ptr<ProbeBrowser> MakeProbeBrowser();
std::shared_ptr<OnlineCheck> MakeOnlineCheck();
std::shared_ptr<SystemSettings> MakeSystemSettings();
std::shared_ptr<UserInterface> MakeUserInterface();

// Re-reads the time zone, as the C library's tzset() does.
void ReadTimeZone();
// The local calendar time of `when`; false when the system cannot say.
bool LocalTime(std::time_t when, std::tm& local);

// The file of the module (shared library or DLL) this code lives in; empty when unknown.
std::filesystem::path ModuleFile();

// Window messages of the thread, delivered after the component's own (a no-op where the system
// has no thread message queue).
void DispatchThreadMessages();

// std::fopen on the system's own path text (wide on Windows).
std::FILE* OpenFile(const std::filesystem::path& path, const char* mode);
// The whole file; a missing one reads as empty. Raise an AutomationError on a read failure.
std::string ReadWholeFile(const std::filesystem::path& path);
// Replaces `path` with `content` in one step, readable by its owner only.
void ReplaceWholeFile(const std::filesystem::path& path, std::string_view content);

}  // namespace orvulink::platform::system
