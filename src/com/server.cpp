// The in-process server: the class factory of the control, the four DLL entry points and the
// registration regsvr32 asks for (class, ProgID, type library).
#include "com/control_object.hpp"
#include "com/dispatch.hpp"

#include <olectl.h>

#include <string>

namespace orvulink::com {
namespace {

constexpr const wchar_t* kProgId = L"OrvuLink.OrvuLinkActiveX";
constexpr const wchar_t* kVersionedProgId = L"OrvuLink.OrvuLinkActiveX.1";
constexpr const wchar_t* kClassName = L"OrvuLinkActiveX";

std::atomic<long>& ServerLocks() {
  static std::atomic<long> locks{0};
  return locks;
}

class ControlFactory final : public IClassFactory {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IClassFactory)) return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    return S_OK;
  }
  // The factory is static: it lives as long as the module.
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    _OrvuLinkActiveX* control = nullptr;
    const HRESULT created = Guarded([&] { control = CreateControl(); });
    if (FAILED(created)) return created;
    const HRESULT result = control->QueryInterface(iid, out);
    control->Release();
    return result;
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock)
      ++ServerLocks();
    else
      --ServerLocks();
    return S_OK;
  }
};

std::wstring GuidText(REFGUID guid) {
  wchar_t text[64];
  StringFromGUID2(guid, text, 64);
  return text;
}

bool SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
      ERROR_SUCCESS) {
    return false;
  }
  const LONG status =
      RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                     static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
  return status == ERROR_SUCCESS;
}

std::wstring ModulePath() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
  return std::wstring(path, length);
}

bool RegisterClassKeys() {
  const std::wstring clsid = GuidText(CLSID_OrvuLinkActiveX);
  const std::wstring classKey = L"Software\\Classes\\CLSID\\" + clsid;
  const std::wstring library = GuidText(LIBID_OrvuLink);
  bool ok = SetValue(HKEY_LOCAL_MACHINE, classKey, nullptr, kClassName);
  ok = ok && SetValue(HKEY_LOCAL_MACHINE, classKey + L"\\InprocServer32", nullptr, ModulePath());
  // Apartment threaded: every object stays on the thread that made it, as the core requires.
  ok = ok && SetValue(HKEY_LOCAL_MACHINE, classKey + L"\\InprocServer32", L"ThreadingModel",
                      L"Apartment");
  ok = ok && SetValue(HKEY_LOCAL_MACHINE, classKey + L"\\ProgID", nullptr, kVersionedProgId);
  ok = ok &&
       SetValue(HKEY_LOCAL_MACHINE, classKey + L"\\VersionIndependentProgID", nullptr, kProgId);
  ok = ok && SetValue(HKEY_LOCAL_MACHINE, classKey + L"\\TypeLib", nullptr, library);
  ok = ok && SetValue(HKEY_LOCAL_MACHINE, classKey + L"\\Version", nullptr, L"1.2");
  ok = ok && SetValue(HKEY_LOCAL_MACHINE, classKey + L"\\Control", nullptr, L"");
  for (const wchar_t* progId : {kProgId, kVersionedProgId}) {
    const std::wstring progKey = std::wstring(L"Software\\Classes\\") + progId;
    ok = ok && SetValue(HKEY_LOCAL_MACHINE, progKey, nullptr, kClassName);
    ok = ok && SetValue(HKEY_LOCAL_MACHINE, progKey + L"\\CLSID", nullptr, clsid);
  }
  ok = ok &&
       SetValue(HKEY_LOCAL_MACHINE, std::wstring(L"Software\\Classes\\") + kProgId + L"\\CurVer",
                nullptr, kVersionedProgId);
  return ok;
}

HRESULT RegisterLibrary() {
  ITypeLib* library = nullptr;
  HRESULT result = LoadTypeLibEx(ModulePath().c_str(), REGKIND_NONE, &library);
  if (FAILED(result)) return result;
  std::wstring path = ModulePath();
  result = RegisterTypeLib(library, path.data(), nullptr);
  library->Release();
  return result;
}

ControlFactory& Factory() {
  static ControlFactory factory;
  return factory;
}

}  // namespace
}  // namespace orvulink::com

using orvulink::com::Factory;

extern "C" {

HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_OrvuLinkActiveX)) return CLASS_E_CLASSNOTAVAILABLE;
  return Factory().QueryInterface(iid, out);
}

HRESULT STDAPICALLTYPE DllCanUnloadNow() {
  return orvulink::com::ModuleReferences() == 0 && orvulink::com::ServerLocks() == 0 ? S_OK
                                                                                     : S_FALSE;
}

HRESULT STDAPICALLTYPE DllRegisterServer() {
  if (!orvulink::com::RegisterClassKeys()) return SELFREG_E_CLASS;
  return SUCCEEDED(orvulink::com::RegisterLibrary()) ? S_OK : SELFREG_E_TYPELIB;
}

HRESULT STDAPICALLTYPE DllUnregisterServer() {
  using orvulink::com::GuidText;
  const std::wstring clsid = GuidText(CLSID_OrvuLinkActiveX);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, (L"Software\\Classes\\CLSID\\" + clsid).c_str());
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\OrvuLink.OrvuLinkActiveX");
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\OrvuLink.OrvuLinkActiveX.1");
  UnRegisterTypeLib(LIBID_OrvuLink, 1, 2, LOCALE_NEUTRAL, SYS_WIN64);
  return S_OK;
}

}  // extern "C"
