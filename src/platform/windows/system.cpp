// The Windows answers to the system layer: the registry, the C runtime's local time, the DLL's
// own file, the thread's window messages, message boxes and the online state.
#include "platform/system.hpp"

#include "platform/windows/win32.hpp"

#include <wininet.h>

#include <array>
#include <ctime>
#include <memory>
#include <string>

namespace orvulink::platform::system {
namespace {

// The registry value names the help file's folder; the key path the caller gives ("Software\...")
// is read under HKEY_LOCAL_MACHINE.
class RegistrySettings final : public SystemSettings {
 public:
  std::int32_t ReadText(const std::string& key, const std::string& valueName,
                        BStr& value) override {
    HKEY handle = nullptr;
    LONG status = RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_QUERY_VALUE, &handle);
    if (status != ERROR_SUCCESS) return static_cast<std::int32_t>(status);
    std::array<char, 1024> buffer{};
    DWORD type = 0;
    DWORD size = static_cast<DWORD>(buffer.size() - 1);
    status = RegQueryValueExA(handle, valueName.c_str(), nullptr, &type,
                              reinterpret_cast<BYTE*>(buffer.data()), &size);
    RegCloseKey(handle);
    if (status != ERROR_SUCCESS) return static_cast<std::int32_t>(status);
    if (type != REG_SZ && type != REG_EXPAND_SZ) return kSettingNotFound;
    std::string text(buffer.data(), size);
    while (!text.empty() && text.back() == '\0')
      text.pop_back();
    value = BStr(text);
    return kSettingFound;
  }
};

UINT IconStyle(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::kCritical:
      return MB_ICONERROR;
    case MessageIcon::kExclamation:
      return MB_ICONWARNING;
    case MessageIcon::kInformation:
      return MB_ICONINFORMATION;
  }
  return 0;
}

// Modal dialogs of the desktop; a host that must never block (a service, a test) replaces them.
class DesktopUserInterface final : public UserInterface {
 public:
  void MessageBox(const BStr& text, const BStr& title, MessageIcon icon) override {
    MessageBoxW(GetActiveWindow(), win32::Wide(text.str()).c_str(),
                win32::Wide(title.str()).c_str(), MB_OK | MB_TASKMODAL | IconStyle(icon));
  }

  void ShowAboutBox(const AboutBox& box) override {
    std::u16string text = box.title.str() + u" " + box.version.str();
    for (const BStr& line : box.lines)
      text += u"\r\n" + line.str();
    MessageBox(BStr(text), BStr(u"About " + box.title.str()), MessageIcon::kInformation);
  }

  void ShowHelpContents(const std::string& helpFile) override { ShellOpen(helpFile); }

 private:
  static void ShellOpen(const std::string& file) {
    // HTML Help opens a .chm through its file association.
    const std::wstring command = L"hh.exe \"" + win32::Wide(BStr(file).str()) + L"\"";
    std::wstring mutableCommand = command;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(nullptr, mutableCommand.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                       &startup, &process)) {
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
    }
  }
};

class InternetOnlineCheck final : public OnlineCheck {
 public:
  bool IsOnline() override {
    DWORD flags = 0;
    return InternetGetConnectedState(&flags, 0) != FALSE;
  }
};

}  // namespace

std::shared_ptr<SystemSettings> MakeSystemSettings() {
  return std::make_shared<RegistrySettings>();
}

std::shared_ptr<UserInterface> MakeUserInterface() {
  return std::make_shared<DesktopUserInterface>();
}

std::shared_ptr<OnlineCheck> MakeOnlineCheck() {
  return std::make_shared<InternetOnlineCheck>();
}

void ReadTimeZone() {
  _tzset();
}

bool LocalTime(std::time_t when, std::tm& local) {
  return localtime_s(&local, &when) == 0;
}

std::filesystem::path ModuleFile() {
  HMODULE self = nullptr;
  if (!GetModuleHandleExW(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCWSTR>(&ModuleFile), &self)) {
    return {};
  }
  std::wstring name(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(self, name.data(), static_cast<DWORD>(name.size()));
    if (length == 0) return {};
    if (length < name.size()) {
      name.resize(length);
      return std::filesystem::path(name);
    }
    name.resize(name.size() * 2);
  }
}

void DispatchThreadMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace orvulink::platform::system
