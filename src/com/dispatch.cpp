// What every COM object of the server shares: the module's reference count, the embedded type
// library and the per-thread table of which COM object serves which core object.
#include "com/dispatch.hpp"

#include <mutex>
#include <unordered_map>

namespace orvulink::com {
namespace {

ITypeLib* LoadEmbeddedLibrary() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return nullptr;
  ITypeLib* library = nullptr;
  if (FAILED(LoadTypeLibEx(path, REGKIND_NONE, &library))) return nullptr;
  return library;
}

// Objects belong to the thread (apartment) that made them, like the core's objects.
std::unordered_map<const void*, IUnknown*>& Serving() {
  thread_local std::unordered_map<const void*, IUnknown*> serving;
  return serving;
}

}  // namespace

std::atomic<long>& ModuleReferences() {
  static std::atomic<long> references{0};
  return references;
}

HMODULE ThisModule() {
  HMODULE self = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&ThisModule), &self);
  return self;
}

ITypeInfo* TypeInfoOf(REFGUID guid) {
  // Loaded once; a type library object may be used from any thread.
  static std::once_flag loaded;
  static ITypeLib* library = nullptr;
  std::call_once(loaded, [] { library = LoadEmbeddedLibrary(); });
  if (library == nullptr) return nullptr;
  ITypeInfo* info = nullptr;
  if (FAILED(library->GetTypeInfoOfGuid(guid, &info))) return nullptr;
  return info;
}

IUnknown* FindServing(const void* core) {
  const auto found = Serving().find(core);
  if (found == Serving().end()) return nullptr;
  found->second->AddRef();
  return found->second;
}

void RegisterServing(const void* core, IUnknown* object) {
  Serving()[core] = object;
}

void UnregisterServing(const void* core) {
  Serving().erase(core);
}

bool IsServing(const IUnknown* object) {
  for (const auto& [core, served] : Serving()) {
    if (served == object) return true;
  }
  return false;
}

}  // namespace orvulink::com
