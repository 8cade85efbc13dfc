// A C++ host of OrvuLink.dll under Wine, for what cscript cannot do: the progress events through
// IConnectionPointContainer (with the window messages pumped around them) and the container's
// property bag through IPersistPropertyBag. Exit status: the number of failed checks.
#include "orvulink_h.h"

#include <ocidl.h>
#include <ole2.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

int failures = 0;

void Check(const char* label, bool ok) {
  if (!ok) {
    ++failures;
    std::printf("FAIL %s\n", label);
  }
}

// Window messages posted before a command that the component's pump must deliver before the
// first progress event.
int deliveredMessages = 0;

LRESULT CALLBACK CountingWindow(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_USER) ++deliveredMessages;
  return DefWindowProcW(window, message, w, l);
}

// Records every progress step and how many window messages had been delivered when it came.
class ProgressSink final : public IDispatch {
 public:
  std::vector<long> steps;
  std::vector<int> messagesSeen;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IDispatch)) return E_NOINTERFACE;
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) override {
    if (id != 1 || params->cArgs != 1 || V_VT(&params->rgvarg[0]) != (VT_I4 | VT_BYREF))
      return DISP_E_MEMBERNOTFOUND;
    steps.push_back(*V_I4REF(&params->rgvarg[0]));
    messagesSeen.push_back(deliveredMessages);
    *V_I4REF(&params->rgvarg[0]) = 99;  // written back, and ignored by the component
    return S_OK;
  }
};

// The container's side of the property bag: what a form keeps for the control.
class MemoryBag final : public IPropertyBag {
 public:
  std::map<std::wstring, std::wstring> values;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = nullptr;
    if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IPropertyBag)) return E_NOINTERFACE;
    *out = this;
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE Read(LPCOLESTR name, VARIANT* value, IErrorLog*) override {
    const auto found = values.find(name);
    if (found == values.end()) return E_INVALIDARG;
    V_VT(value) = VT_BSTR;
    V_BSTR(value) = SysAllocString(found->second.c_str());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Write(LPCOLESTR name, VARIANT* value) override {
    VARIANT text;
    VariantInit(&text);
    if (FAILED(VariantChangeType(&text, value, VARIANT_ALPHABOOL, VT_BSTR))) return E_FAIL;
    values[name] = V_BSTR(&text);
    VariantClear(&text);
    return S_OK;
  }
};

std::wstring Text(BSTR text) {
  std::wstring out = text != nullptr ? text : L"";
  SysFreeString(text);
  return out;
}

_OrvuLinkActiveX* NewControl() {
  CLSID clsid;
  _OrvuLinkActiveX* control = nullptr;
  if (FAILED(CLSIDFromProgID(L"OrvuLink.OrvuLinkActiveX", &clsid)) ||
      FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID__OrvuLinkActiveX,
                              reinterpret_cast<void**>(&control)))) {
    return nullptr;
  }
  return control;
}

void CheckPropertyBag(_OrvuLinkActiveX* control) {
  IPersistPropertyBag* persist = nullptr;
  Check("IPersistPropertyBag", SUCCEEDED(control->QueryInterface(
                                   IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist))));
  if (persist == nullptr) return;
  MemoryBag saved;
  saved.values = {{L"UserName", L"demo"},    {L"Password", L"demo-password"},
                  {L"encryptSSL", L"False"}, {L"UseAutomayicProxy", L"False"},
                  {L"PRoxyUsername", L"pu"}, {L"VAPCode", L"ABCDEFGHIJ"}};
  Check("Load", SUCCEEDED(persist->Load(&saved, nullptr)));
  BSTR text = nullptr;
  VARIANT_BOOL flag = VARIANT_TRUE;
  control->get_UserName(&text);
  Check("UserName from the bag", Text(text) == L"demo");
  control->get_ProxyUsername(&text);
  Check("ProxyUsername from the bag (key PRoxyUsername)", Text(text) == L"pu");
  control->get_EncryptSSL(&flag);
  Check("EncryptSSL from the bag", flag == VARIANT_FALSE);
  control->get_AutomaticProxy(&flag);
  Check("AutomaticProxy from the bag (key UseAutomayicProxy)", flag == VARIANT_FALSE);

  MemoryBag written;
  Check("Save", SUCCEEDED(persist->Save(&written, TRUE, TRUE)));
  for (const wchar_t* key :
       {L"UserName", L"Password", L"VAPCode", L"TestMode", L"encryptSSL", L"UseAutomayicProxy",
        L"Proxy", L"ProxyPort", L"PRoxyUsername", L"ProxyPassword"}) {
    Check("saved key", written.values.count(key) == 1);
  }
  Check("saved VAP code", written.values[L"VAPCode"] == L"ABCDEFGHIJ");
  persist->Release();
}

// The settings through a stream: saved from one control, read by a new one (whose creation
// reset the thread's settings).
void CheckPersistStream(_OrvuLinkActiveX* control) {
  IPersistStreamInit* persist = nullptr;
  Check("IPersistStreamInit", SUCCEEDED(control->QueryInterface(
                                  IID_IPersistStreamInit, reinterpret_cast<void**>(&persist))));
  IStream* stream = nullptr;
  if (persist == nullptr || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream))) return;
  Check("Save to a stream", SUCCEEDED(persist->Save(stream, TRUE)));
  persist->Release();
  _OrvuLinkActiveX* second = NewControl();
  BSTR text = nullptr;
  second->get_UserName(&text);
  Check("a new control starts empty", Text(text).empty());
  IPersistStreamInit* reader = nullptr;
  second->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&reader));
  const LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  Check("Load from the stream", SUCCEEDED(reader->Load(stream)));
  second->get_UserName(&text);
  Check("UserName through the stream", Text(text) == L"demo");
  second->get_ProxyUsername(&text);
  Check("ProxyUsername through the stream", Text(text) == L"pu");
  VARIANT_BOOL flag = VARIANT_TRUE;
  second->get_AutomaticProxy(&flag);
  Check("AutomaticProxy through the stream", flag == VARIANT_FALSE);
  const LARGE_INTEGER garbageAt{};
  stream->Seek(garbageAt, STREAM_SEEK_SET, nullptr);
  const DWORD tooMany = 100000;
  stream->Write(&tooMany, sizeof tooMany, nullptr);
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  Check("a damaged stream is refused", FAILED(reader->Load(stream)));
  reader->Release();
  second->Release();
  stream->Release();
}

// Connects the sink to a list's connection point; returns the cookie (0 when it failed).
DWORD Connect(IUnknown* list, REFIID events, ProgressSink& sink, IConnectionPoint** point) {
  IConnectionPointContainer* container = nullptr;
  if (FAILED(list->QueryInterface(IID_IConnectionPointContainer,
                                  reinterpret_cast<void**>(&container)))) {
    return 0;
  }
  DWORD cookie = 0;
  if (SUCCEEDED(container->FindConnectionPoint(events, point))) (*point)->Advise(&sink, &cookie);
  container->Release();
  return cookie;
}

// The first order ID the gateway gave the list's first message.
std::wstring FirstOrderID(_OrvuSendMessages* list) {
  _OrvuSendMessage* message = nullptr;
  _OrvuSendOrderID* ids = nullptr;
  BSTR id = nullptr;
  if (SUCCEEDED(list->get_Item(1, &message)) && message != nullptr &&
      SUCCEEDED(message->get_OrderID(&ids)) && ids != nullptr) {
    ids->get_Item(1, &id);
  }
  if (ids != nullptr) ids->Release();
  if (message != nullptr) message->Release();
  return Text(id);
}

// Returns the order ID of the message it sent.
std::wstring CheckSendEvents(_OrvuLinkActiveX* control, HWND window) {
  _OrvuSendMessages* list = nullptr;
  control->get_MessagesToSend(&list);
  Check("MessagesToSend", list != nullptr);
  if (list == nullptr) return {};
  ProgressSink sink;
  IConnectionPoint* point = nullptr;
  const DWORD cookie = Connect(list, DIID___OrvuSendMessages, sink, &point);
  Check("Advise on the send list", cookie != 0);
  VARIANT now;
  VariantInit(&now);
  VARIANT_BOOL ok = VARIANT_FALSE;
  BSTR phone = SysAllocString(L"+393331234567");
  BSTR text = SysAllocString(L"Progress, please");
  BSTR sender = SysAllocString(L"OrvuShop");
  list->AddMessage(phone, text, sender, now, &ok);
  PostMessageW(window, WM_USER, 0, 0);
  Check("SendMessage", SUCCEEDED(list->SendMessage(&ok)) && ok == VARIANT_TRUE);
  Check("four steps in order", sink.steps == std::vector<long>({0, 1, 2, 3}));
  const std::wstring orderID = FirstOrderID(list);
  Check("messages pumped before the first step",
        !sink.messagesSeen.empty() && sink.messagesSeen.front() == 1);
  if (point != nullptr) {
    point->Unadvise(cookie);
    list->AddMessage(phone, text, sender, now, &ok);
    list->SendMessage(&ok);
    Check("no events after Unadvise", sink.steps.size() == 4);
    point->Release();
  }
  SysFreeString(phone);
  SysFreeString(text);
  SysFreeString(sender);
  list->Release();
  return orderID;
}

void CheckNotifyEvents(_OrvuLinkActiveX* control, const std::wstring& orderID) {
  _OrvuNotifiedMessages* list = nullptr;
  control->get_MessagesToNotify(&list);
  Check("MessagesToNotify", list != nullptr);
  if (list == nullptr) return;
  ProgressSink sink;
  IConnectionPoint* point = nullptr;
  const DWORD cookie = Connect(list, DIID___OrvuNotifiedMessages, sink, &point);
  Check("Advise on the status-query list", cookie != 0);
  BSTR order = SysAllocString(orderID.c_str());
  BSTR none = SysAllocString(L"");
  VARIANT_BOOL ok = VARIANT_FALSE;
  list->AddMessage(order, none, &ok);
  Check("GetStatusNotify", SUCCEEDED(list->GetStatusNotify(&ok)) && ok == VARIANT_TRUE);
  Check("status query steps in order", sink.steps == std::vector<long>({0, 1, 2, 3}));
  if (point != nullptr) {
    point->Unadvise(cookie);
    point->Release();
  }
  SysFreeString(order);
  SysFreeString(none);
  list->Release();
}

}  // namespace

int main() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // every line out before a crash, if one comes
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 100;
  WNDCLASSW windowClass{};
  windowClass.lpfnWndProc = CountingWindow;
  windowClass.lpszClassName = L"OrvuLinkTestCounter";
  RegisterClassW(&windowClass);
  HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                nullptr, nullptr, nullptr);
  _OrvuLinkActiveX* control = NewControl();
  Check("CreateObject", control != nullptr);
  if (control != nullptr) {
    CheckPropertyBag(control);
    CheckNotifyEvents(control, CheckSendEvents(control, window));
    // Last: the second control it makes ends the thread's lists when it is released.
    CheckPersistStream(control);
    control->Release();
  }
  CoUninitialize();
  std::printf("com_client: %d failed checks\n", failures);
  return failures;
}
