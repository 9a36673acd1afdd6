// vexaload_host [--untrusted] [--page URL] [--answer yes|no]... NAME=VALUE...
// Hosts VexaLoad.ocx as a page's host would and gives it the parameters NAME=VALUE
// (ScriptFile, Silent, LogFile, Destination) through IPersistPropertyBag.
//
//   (default)      the control is created by its ProgID in a window through the system's
//                  atl.dll, whose site names no page
//   --page URL     the host's own client site, whose container moniker is a URL moniker of
//                  URL: the page's address, as a browser gives it to the controls of a page
//   --untrusted    the host first asks for safety with untrusted data, as a browser does
//                  for a page
//   --answer A     a user who answers the control's questions (Yes/No message boxes of
//                  this process) in turn with A; a question beyond the answers given is
//                  answered No. Any other message box is closed with OK.
//
// It waits until the control's ReadyState is complete and prints, in order,
//   asked: QUESTION -> Yes|No      (for each question)
//   box: MESSAGE                   (for each other message box)
//   exit STATUS
//   result MESSAGE
// with the line breaks of a box's text printed as "|". Exit status 0 when the control
// ran, 2 when it could not be hosted.
#include <windows.h>
#include <objsafe.h>
#include <ocidl.h>
#include <olectl.h>
#include <urlmon.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "atl_host.h"
#include "memory_property_bag_win32.h"

namespace {

std::wstring Wide(const char* text) {
  const int chars = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  std::wstring wide(static_cast<size_t>(chars > 0 ? chars : 1), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), chars);
  wide.resize(wide.size() - 1);
  return wide;
}

// A browser's site for a control of a page: it knows the page's address.
class PageSite final : public IOleClientSite {
 public:
  IMoniker* page = nullptr;

  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IOleClientSite) return E_NOINTERFACE;
    *object = this;
    return S_OK;
  }
  // Lives on the stack of main for as long as the control is hosted.
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP SaveObject() override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD which, IMoniker** moniker) override {
    if (moniker == nullptr) return E_POINTER;
    *moniker = nullptr;
    if (which != OLEWHICHMK_CONTAINER || page == nullptr) return E_FAIL;
    page->AddRef();
    *moniker = page;
    return S_OK;
  }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    if (container != nullptr) *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override { return E_NOTIMPL; }
};

bool ReadProperty(IDispatch* control, const wchar_t* name, VARIANT& value) {
  DISPID id = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (FAILED(control->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id))) return false;
  DISPPARAMS none{};
  VariantInit(&value);
  return SUCCEEDED(control->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr,
                                   nullptr));
}

int Fail(const char* what, HRESULT result = S_OK) {
  std::printf("host failed: %s 0x%08lx\n", what, static_cast<unsigned long>(result));
  return 2;
}

// The person in front of the screen: reads each message box of this process, answers
// questions from the list and closes the others, one box at a time.
class User {
 public:
  explicit User(std::vector<bool> answers) : answers_(std::move(answers)) {
    thread_ = std::thread([this] { Work(); });
  }
  ~User() {
    done_ = true;
    thread_.join();
  }
  User(const User&) = delete;
  User& operator=(const User&) = delete;

 private:
  static BOOL CALLBACK FindBox(HWND window, LPARAM parameter) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char name[16] = {};
    GetClassNameA(window, name, sizeof name);
    if (process != GetCurrentProcessId() || std::string(name) != "#32770" || !IsWindowVisible(window)) return TRUE;
    *reinterpret_cast<HWND*>(parameter) = window;
    return FALSE;
  }

  static std::string Text(HWND box) {
    char text[4096] = {};
    SendMessageA(GetDlgItem(box, 65535), WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    std::string line;
    for (const char* c = text; *c != '\0'; ++c) {
      if (*c == '\r') continue;
      line += *c == '\n' ? '|' : *c;
    }
    return line;
  }

  void Work() {
    std::size_t next = 0;
    while (!done_) {
      HWND box = nullptr;
      EnumWindows(FindBox, reinterpret_cast<LPARAM>(&box));
      if (box == nullptr) {
        Sleep(50);
        continue;
      }
      const std::string text = Text(box);
      int button = IDOK;
      if (GetDlgItem(box, IDYES) != nullptr) {
        const bool yes = next < answers_.size() && answers_[next];
        ++next;
        button = yes ? IDYES : IDNO;
        std::printf("asked: %s -> %s\n", text.c_str(), yes ? "Yes" : "No");
      } else {
        std::printf("box: %s\n", text.c_str());
      }
      std::fflush(stdout);
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
      for (int i = 0; i < 200 && IsWindow(box); ++i) Sleep(25);
    }
  }

  std::vector<bool> answers_;
  std::atomic<bool> done_{false};
  std::thread thread_;
};

// A step of the host that went wrong: the call's name and its result; `what` is null when
// the step went well.
struct Failure {
  const char* what = nullptr;
  HRESULT result = S_OK;
};

struct Options {
  MemoryPropertyBag bag;
  bool untrusted = false;
  std::wstring page_url;
  std::vector<bool> answers;
};

// The command line: NAME=VALUE properties, --untrusted, --page URL, --answer yes|no. Null,
// or what is wrong with it.
const char* ReadOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument == "--untrusted") {
      options.untrusted = true;
      continue;
    }
    if ((argument == "--page" || argument == "--answer") && i + 1 < argc) {
      const std::string value = argv[++i];
      if (argument == "--page") options.page_url = Wide(value.c_str());
      else if (value == "yes" || value == "no") options.answers.push_back(value == "yes");
      else return "--answer yes|no expected";
      continue;
    }
    const std::size_t equals = argument.find('=');
    if (equals == std::string::npos) return "argument NAME=VALUE expected";
    options.bag.SetText(Wide(argument.substr(0, equals).c_str()), Wide(argument.substr(equals + 1).c_str()));
  }
  return nullptr;
}

// The control in the system's ActiveX container window.
Failure CreateInContainer(AtlHost& atl, HWND host, IUnknown*& container, IUnknown*& control) {
  if (!atl.Load() || !atl.AtlAxWinInit()) return {"atl.dll"};
  HRESULT result = atl.AtlAxCreateControl(L"VexaLoad.VexaLoadCtrl", host, nullptr, &container);
  if (FAILED(result)) return {"AtlAxCreateControl", result};
  result = atl.AtlAxGetControl(host, &control);
  if (FAILED(result) || control == nullptr) return {"AtlAxGetControl", result};
  return {};
}

// The control on a page at `url`, sited the way browsers site it.
Failure CreateOnPage(PageSite& site, const std::wstring& url, IUnknown*& control) {
  HRESULT result = CreateURLMonikerEx(nullptr, url.c_str(), &site.page, URL_MK_UNIFORM);
  if (FAILED(result)) return {"CreateURLMonikerEx", result};
  CLSID clsid;
  result = CLSIDFromProgID(L"VexaLoad.VexaLoadCtrl", &clsid);
  if (FAILED(result)) return {"CLSIDFromProgID", result};
  result = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, reinterpret_cast<void**>(&control));
  if (FAILED(result)) return {"CoCreateInstance", result};
  // The control asks for its site first (OLEMISC_SETCLIENTSITEFIRST), as browsers do it.
  IOleObject* object = nullptr;
  result = control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object));
  if (FAILED(result)) return {"IOleObject", result};
  result = object->SetClientSite(&site);
  object->Release();
  if (FAILED(result)) return {"SetClientSite", result};
  return {};
}

// Tells the control that neither its caller nor its properties are trusted, as a browser's
// Internet zone does.
Failure TrustNeitherCallerNorData(IUnknown* control) {
  IObjectSafety* safety = nullptr;
  HRESULT result = control->QueryInterface(IID_IObjectSafety, reinterpret_cast<void**>(&safety));
  if (FAILED(result)) return {"IObjectSafety", result};
  const DWORD options = INTERFACESAFE_FOR_UNTRUSTED_CALLER | INTERFACESAFE_FOR_UNTRUSTED_DATA;
  result = safety->SetInterfaceSafetyOptions(IID_IPersistPropertyBag, options, options);
  safety->Release();
  if (FAILED(result)) return {"SetInterfaceSafetyOptions", result};
  return {};
}

Failure LoadProperties(IUnknown* control, IPropertyBag* bag) {
  IPersistPropertyBag* persist = nullptr;
  HRESULT result = control->QueryInterface(IID_IPersistPropertyBag, reinterpret_cast<void**>(&persist));
  if (FAILED(result)) return {"IPersistPropertyBag", result};
  result = persist->Load(bag, nullptr);
  persist->Release();
  if (FAILED(result)) return {"IPersistPropertyBag::Load", result};
  return {};
}

Failure ActivateInPlace(IUnknown* control, PageSite& site, HWND host) {
  IOleObject* object = nullptr;
  control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object));
  RECT area{0, 0, 1, 1};
  const HRESULT result = object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, &site, 0, host, &area);
  object->Release();
  if (FAILED(result)) return {"DoVerb", result};
  return {};
}

// Lets the control run, answering its boxes from `answers`, and reads how it ended.
Failure RunToTheEnd(IDispatch* dispatch, const std::vector<bool>& answers, VARIANT& status, VARIANT& message) {
  const User user(answers);
  // The control's run pumps its own messages; this loop only hands it the start message
  // and sees when it is done.
  const ULONGLONG deadline = GetTickCount64() + 600000;
  VARIANT state;
  while (GetTickCount64() < deadline) {
    MSG queued;
    while (PeekMessageW(&queued, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&queued);
      DispatchMessageW(&queued);
    }
    if (ReadProperty(dispatch, L"ReadyState", state) && state.vt == VT_I4 && state.lVal == READYSTATE_COMPLETE) break;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
  }
  if (!ReadProperty(dispatch, L"ExitStatus", status) || !ReadProperty(dispatch, L"Result", message)) {
    return {"ExitStatus/Result"};
  }
  return {};
}

void CloseOnPage(IUnknown* control) {
  IOleObject* object = nullptr;
  control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&object));
  object->Close(OLECLOSE_NOSAVE);
  object->SetClientSite(nullptr);
  object->Release();
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (const char* usage = ReadOptions(argc, argv, options)) return Fail(usage);
  const bool on_page = !options.page_url.empty();
  OleInitialize(nullptr);
  HWND host = CreateWindowExW(0, L"STATIC", L"loader host", WS_POPUP, 0, 0, 40, 40, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  AtlHost atl;
  PageSite site;
  IUnknown* container = nullptr;
  IUnknown* control = nullptr;
  IDispatch* dispatch = nullptr;
  VARIANT status;
  VARIANT message;
  Failure failure = on_page ? CreateOnPage(site, options.page_url, control) : CreateInContainer(atl, host, container, control);
  if (!failure.what && options.untrusted) failure = TrustNeitherCallerNorData(control);
  if (!failure.what) failure = LoadProperties(control, &options.bag);
  if (!failure.what && on_page) failure = ActivateInPlace(control, site, host);
  if (!failure.what) {
    const HRESULT result = control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
    if (FAILED(result)) failure = {"IDispatch", result};
  }
  if (!failure.what) failure = RunToTheEnd(dispatch, options.answers, status, message);
  if (failure.what) return Fail(failure.what, failure.result);

  char text[4096] = {};
  WideCharToMultiByte(CP_ACP, 0, message.bstrVal != nullptr ? message.bstrVal : L"", -1, text, sizeof text, nullptr,
                      nullptr);
  std::printf("exit %ld\nresult %s\n", static_cast<long>(status.lVal), text);
  std::fflush(stdout);
  VariantClear(&message);
  dispatch->Release();
  if (on_page) CloseOnPage(control);
  control->Release();
  DestroyWindow(host);
  if (container != nullptr) container->Release();
  if (site.page != nullptr) site.page->Release();
  OleUninitialize();
  return 0;
}
