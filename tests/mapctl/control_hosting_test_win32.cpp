// VEXAUSA.OCX in a real container: hosted by the system's atl.dll (the host of
// AtlAxCreateControl) at its natural size and stretched, with events through its
// connection point, its property frame and its About box.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "control_test_environment_win32.h"
#include "control_test_support_win32.h"


namespace {

constexpr DISPID kAutoSize = 1;

SIZE ClientSize(HWND window) {
  RECT rect{};
  GetClientRect(window, &rect);
  return {rect.right - rect.left, rect.bottom - rect.top};
}

// A top-level window of the test with the control hosted in it by atl.dll.
class HostedMap {
 public:
  HostedMap(int width, int height) {
    host_ = CreateWindowExW(0, L"STATIC", L"map host", WS_POPUP | WS_VISIBLE, 0, 0, width, height, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    if (host_ == nullptr) return;
    if (FAILED(ControlHost().AtlAxCreateControl(L"VEXAUSA.VexausaCtrl", host_, nullptr, &container_))) return;
    IUnknown* control = nullptr;
    if (FAILED(ControlHost().AtlAxGetControl(host_, &control)) || control == nullptr) return;
    control->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&map_));
    IOleInPlaceObject* in_place = nullptr;
    if (SUCCEEDED(control->QueryInterface(IID_IOleInPlaceObject, reinterpret_cast<void**>(&in_place)))) {
      in_place->GetWindow(&window_);
      in_place->Release();
    }
    control->Release();
    Settle();
  }
  ~HostedMap() {
    if (map_ != nullptr) map_->Release();
    if (host_ != nullptr) DestroyWindow(host_);
    if (container_ != nullptr) container_->Release();
    PumpMessages(20);
  }
  HostedMap(const HostedMap&) = delete;
  HostedMap& operator=(const HostedMap&) = delete;

  // Lets every pending drawing (and the size changes drawings make) happen.
  void Settle() const {
    for (int i = 0; i < 4; ++i) {
      RedrawWindow(host_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
      PumpMessages(30);
    }
  }
  void ResizeHost(int width, int height) const {
    SetWindowPos(host_, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER);
    Settle();
  }

  bool Ready() const { return map_ != nullptr && window_ != nullptr; }
  IDispatch* Map() const { return map_; }
  HWND Window() const { return window_; }
  HWND Host() const { return host_; }

 private:
  HWND host_ = nullptr;
  IUnknown* container_ = nullptr;
  IDispatch* map_ = nullptr;
  HWND window_ = nullptr;
};

class ControlHostingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ControlRegistered()) << "regsvr32 failed";
    ASSERT_TRUE(ControlHostReady()) << "atl.dll cannot host controls";
  }
};

void ExpectEveryStateAt(IDispatch* map, int scale) {
  for (const StatePoint& p : StatePoints()) {
    EXPECT_EQ(StateId(map, scale * p.x, scale * p.y), p.id)
        << "state " << p.id << " at (" << scale * p.x << ", " << scale * p.y << ")";
  }
}

TEST_F(ControlHostingTest, AFreshControlSnapsToItsNaturalSizeAndFindsEveryStateStretchedOrNot) {
  HostedMap hosted(700, 500);
  ASSERT_TRUE(hosted.Ready());
  const SIZE natural = ClientSize(hosted.Window());
  EXPECT_EQ(natural.cx, 513);
  EXPECT_EQ(natural.cy, 352);
  ExpectEveryStateAt(hosted.Map(), 1);
  EXPECT_EQ(MaskPixel(hosted.Map(), 0, 0), 0xFFFFFF) << "the corner is background";
  EXPECT_EQ(StateId(hosted.Map(), 0, 0), 0);
  EXPECT_EQ(MaskPixel(hosted.Map(), 513, 0), -1) << "outside the mask surface";
  EXPECT_EQ(StateId(hosted.Map(), -5, 10), 0);

  // The container stretches the control; AutoSize is false, so it stays stretched.
  hosted.ResizeHost(1026, 704);
  const SIZE stretched = ClientSize(hosted.Window());
  ASSERT_EQ(stretched.cx, 1026);
  ASSERT_EQ(stretched.cy, 704);
  ExpectEveryStateAt(hosted.Map(), 2);

  // AutoSize set true: the next drawing returns the control to 513 x 352.
  ASSERT_EQ(PutBool(hosted.Map(), kAutoSize, true), S_OK);
  EXPECT_TRUE(GetBool(hosted.Map(), kAutoSize));
  hosted.Settle();
  const SIZE snapped = ClientSize(hosted.Window());
  EXPECT_EQ(snapped.cx, 513);
  EXPECT_EQ(snapped.cy, 352);
  ExpectEveryStateAt(hosted.Map(), 1);
}

TEST_F(ControlHostingTest, StateNamesAreNewStringsAndEmptyOutsideOneToFifty) {
  HostedMap hosted(600, 400);
  ASSERT_TRUE(hosted.Ready());
  EXPECT_EQ(StateName(hosted.Map(), 43), L"Texas");
  EXPECT_EQ(StateName(hosted.Map(), 1), L"Alabama");
  EXPECT_EQ(StateName(hosted.Map(), 50), L"Wyoming");
  EXPECT_EQ(StateName(hosted.Map(), 0), L"");
  EXPECT_EQ(StateName(hosted.Map(), 51), L"");
  EXPECT_EQ(StateName(hosted.Map(), -1), L"");
  // Wrong calls get the codes a scripting host reports.
  VARIANT result;
  EXPECT_EQ(CallMember(hosted.Map(), 4, {}, &result), DISP_E_BADPARAMCOUNT);
  EXPECT_EQ(CallMember(hosted.Map(), 99, {}, &result), DISP_E_MEMBERNOTFOUND);
}

TEST_F(ControlHostingTest, MouseMessagesFireTheEventsThroughTheConnectionPoint) {
  HostedMap hosted(600, 400);
  ASSERT_TRUE(hosted.Ready());
  IConnectionPointContainer* container = nullptr;
  ASSERT_EQ(hosted.Map()->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container)), S_OK);
  IConnectionPoint* point = nullptr;
  ASSERT_EQ(container->FindConnectionPoint(DIID__DVexaUSAEvents, &point), S_OK);
  container->Release();
  RecordingSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);

  const HWND w = hosted.Window();
  // Texas (240, 253), Ohio (376, 131), Indiana (348, 132).
  SendMessageW(w, WM_MOUSEMOVE, MK_SHIFT, MAKELPARAM(240, 253));
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(376, 131));
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(348, 132));
  EXPECT_EQ(sink.events, (std::vector<FiredEvent>{{1, {43, 240, 253, 4}},
                                                  {3, {35, 376, 131, 1}},
                                                  {2, {14, 348, 132, 1}},
                                                  {4, {14}}}));

  // A release with no press since the last one: MouseUpOnMap, no ClickMap.
  sink.events.clear();
  SendMessageW(w, WM_LBUTTONUP, MK_CONTROL, MAKELPARAM(240, 253));
  EXPECT_EQ(sink.events, (std::vector<FiredEvent>{{2, {43, 240, 253, 9}}}));

  // The right and middle buttons never click.
  sink.events.clear();
  SendMessageW(w, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(376, 131));
  SendMessageW(w, WM_RBUTTONUP, 0, MAKELPARAM(376, 131));
  SendMessageW(w, WM_MBUTTONDOWN, MK_MBUTTON, MAKELPARAM(0, 0));
  SendMessageW(w, WM_MBUTTONUP, 0, MAKELPARAM(0, 0));
  EXPECT_EQ(sink.events, (std::vector<FiredEvent>{{3, {35, 376, 131, 2}},
                                                  {2, {35, 376, 131, 2}},
                                                  {3, {0, 0, 0, 16}},
                                                  {2, {0, 0, 0, 16}}}));

  // Frozen events are not fired; after unadvising nothing reaches the sink.
  sink.events.clear();
  IOleControl* control = nullptr;
  ASSERT_EQ(hosted.Map()->QueryInterface(IID_IOleControl, reinterpret_cast<void**>(&control)), S_OK);
  control->FreezeEvents(TRUE);
  SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(240, 253));
  control->FreezeEvents(FALSE);
  control->Release();
  EXPECT_TRUE(sink.events.empty());
  ASSERT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(240, 253));
  EXPECT_TRUE(sink.events.empty());
  point->Release();
  EXPECT_EQ(sink.refs_, 0u) << "the control keeps no reference to an unadvised sink";
}

TEST_F(ControlHostingTest, EnabledFalseDisablesTheControlWindow) {
  HostedMap hosted(600, 400);
  ASSERT_TRUE(hosted.Ready());
  EXPECT_TRUE(GetBool(hosted.Map(), DISPID_ENABLED));
  ASSERT_EQ(PutBool(hosted.Map(), DISPID_ENABLED, false), S_OK);
  EXPECT_FALSE(GetBool(hosted.Map(), DISPID_ENABLED));
  EXPECT_FALSE(IsWindowEnabled(hosted.Window()));
  ASSERT_EQ(PutBool(hosted.Map(), DISPID_ENABLED, true), S_OK);
  EXPECT_TRUE(IsWindowEnabled(hosted.Window()));
}

// Windows of this process's other threads are driven from a helper thread while the
// test's thread runs a modal loop.
struct FoundWindow {
  DWORD thread;
  const wchar_t* caption;  // nullptr: any dialog with tabs
  HWND window;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM parameter) {
  auto& found = *reinterpret_cast<FoundWindow*>(parameter);
  if (!IsWindowVisible(window)) return TRUE;
  wchar_t class_name[32] = {};
  GetClassNameW(window, class_name, 32);
  if (std::wstring(class_name) != L"#32770") return TRUE;
  if (found.caption != nullptr) {
    wchar_t caption[256] = {};
    GetWindowTextW(window, caption, 256);
    if (std::wstring(caption) != found.caption) return TRUE;
  } else if (FindWindowExW(window, nullptr, L"SysTabControl32", nullptr) == nullptr) {
    return TRUE;
  }
  found.window = window;
  return FALSE;
}

HWND WaitForWindow(DWORD thread, const wchar_t* caption) {
  for (int i = 0; i < 400; ++i) {
    FoundWindow found{thread, caption, nullptr};
    EnumThreadWindows(thread, FindTopLevel, reinterpret_cast<LPARAM>(&found));
    if (found.window != nullptr) return found.window;
    Sleep(25);
  }
  return nullptr;
}

struct FoundChild {
  int id;
  HWND window;
};

BOOL CALLBACK FindChildById(HWND window, LPARAM parameter) {
  auto& found = *reinterpret_cast<FoundChild*>(parameter);
  if (GetDlgCtrlID(window) != found.id || !IsWindowVisible(window)) return TRUE;
  found.window = window;
  return FALSE;
}

bool BoxChecked(HWND frame, int id) {
  FoundChild box{id, nullptr};
  EnumChildWindows(frame, FindChildById, reinterpret_cast<LPARAM>(&box));
  return box.window != nullptr && SendMessageW(box.window, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

TEST_F(ControlHostingTest, ThePropertyFrameShowsGeneralThenAboutWithTheControlsValues) {
  HostedMap hosted(600, 400);
  ASSERT_TRUE(hosted.Ready());
  ISpecifyPropertyPages* specify = nullptr;
  ASSERT_EQ(hosted.Map()->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(&specify)), S_OK);
  CAUUID pages{};
  ASSERT_EQ(specify->GetPages(&pages), S_OK);
  specify->Release();
  ASSERT_EQ(pages.cElems, 2u);
  EXPECT_TRUE(IsEqualCLSID(pages.pElems[0], CLSID_CVexausaPropPage));
  EXPECT_TRUE(IsEqualCLSID(pages.pElems[1], CLSID_CAboutPropPage));

  std::wstring tabs;
  bool auto_size_box = true, enabled_box = false;
  std::thread driver([&, thread = GetCurrentThreadId()] {
    HWND frame = WaitForWindow(thread, nullptr);
    if (frame == nullptr) return;
    HWND tab_control = FindWindowExW(frame, nullptr, L"SysTabControl32", nullptr);
    const auto count = static_cast<int>(SendMessageW(tab_control, TCM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
      wchar_t text[64] = {};
      TCITEMW item{};
      item.mask = TCIF_TEXT;
      item.pszText = text;
      item.cchTextMax = 64;
      SendMessageW(tab_control, TCM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
      tabs += std::wstring(i > 0 ? L"|" : L"") + text;
    }
    auto_size_box = BoxChecked(frame, 201);
    enabled_box = BoxChecked(frame, 202);
    PostMessageW(GetDlgItem(frame, IDCANCEL), BM_CLICK, 0, 0);
  });
  IUnknown* objects[] = {hosted.Map()};
  const HRESULT shown = OleCreatePropertyFrame(hosted.Host(), 0, 0, L"Map", 1, objects, pages.cElems, pages.pElems,
                                               LOCALE_USER_DEFAULT, 0, nullptr);
  driver.join();
  CoTaskMemFree(pages.pElems);
  EXPECT_EQ(shown, S_OK);
  EXPECT_EQ(tabs, L"General|About");
  EXPECT_FALSE(auto_size_box);
  EXPECT_TRUE(enabled_box);
}

// The page's own life as any property frame drives it. (The platform's frame here shows
// the pages but never applies them, so applying is driven directly.)
class RecordingPageSite final : public IPropertyPageSite {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IPropertyPageSite) return E_NOINTERFACE;
    *object = static_cast<IPropertyPageSite*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP OnStatusChange(DWORD flags) override {
    status |= flags;
    return S_OK;
  }
  STDMETHODIMP GetLocaleID(LCID* locale) override {
    *locale = LOCALE_USER_DEFAULT;
    return S_OK;
  }
  STDMETHODIMP GetPageContainer(IUnknown**) override { return E_NOTIMPL; }
  STDMETHODIMP TranslateAccelerator(MSG*) override { return E_NOTIMPL; }
  DWORD status = 0;
};

TEST_F(ControlHostingTest, TickingAutoSizeOnTheGeneralPageAndApplyingSetsItOnEverySelectedControl) {
  HostedMap first(600, 400), second(600, 400);
  ASSERT_TRUE(first.Ready());
  ASSERT_TRUE(second.Ready());
  IPropertyPage* page = nullptr;
  ASSERT_EQ(CoCreateInstance(CLSID_CVexausaPropPage, nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage,
                             reinterpret_cast<void**>(&page)),
            S_OK);
  RecordingPageSite site;
  ASSERT_EQ(page->SetPageSite(&site), S_OK);
  IUnknown* objects[] = {first.Map(), second.Map()};
  ASSERT_EQ(page->SetObjects(2, objects), S_OK);
  PROPPAGEINFO info{};
  ASSERT_EQ(page->GetPageInfo(&info), S_OK);
  EXPECT_STREQ(info.pszTitle, L"General");
  EXPECT_GT(info.size.cx, 250);
  EXPECT_GT(info.size.cy, 62);
  CoTaskMemFree(info.pszTitle);

  RECT rect{0, 0, info.size.cx, info.size.cy};
  ASSERT_EQ(page->Activate(first.Host(), &rect, TRUE), S_OK);
  page->Show(SW_SHOW);
  EXPECT_EQ(page->IsPageDirty(), S_FALSE);
  FoundChild box{201, nullptr};
  EnumChildWindows(first.Host(), FindChildById, reinterpret_cast<LPARAM>(&box));
  ASSERT_NE(box.window, nullptr);
  wchar_t label[32] = {};
  GetWindowTextW(box.window, label, 32);
  EXPECT_STREQ(label, L"&AutoSize");
  SendMessageW(box.window, BM_CLICK, 0, 0);
  EXPECT_EQ(page->IsPageDirty(), S_OK);
  EXPECT_TRUE(site.status & PROPPAGESTATUS_DIRTY);
  EXPECT_FALSE(GetBool(first.Map(), kAutoSize)) << "nothing changes before Apply";
  ASSERT_EQ(page->Apply(), S_OK);
  EXPECT_EQ(page->IsPageDirty(), S_FALSE);
  EXPECT_TRUE(GetBool(first.Map(), kAutoSize));
  EXPECT_TRUE(GetBool(second.Map(), kAutoSize));
  EXPECT_TRUE(GetBool(first.Map(), DISPID_ENABLED)) << "the page writes only what changed";
  EXPECT_EQ(page->Deactivate(), S_OK);
  page->SetObjects(0, nullptr);
  page->SetPageSite(nullptr);
  page->Release();
}

TEST_F(ControlHostingTest, AboutBoxShowsTheModalAboutDialogUntilOkIsPressed) {
  HostedMap hosted(600, 400);
  ASSERT_TRUE(hosted.Ready());
  std::wstring ok_text;
  bool had_icon = false;
  std::thread driver([&, thread = GetCurrentThreadId()] {
    HWND about = WaitForWindow(thread, L"About Corvanta USA Map Control");
    if (about == nullptr) return;
    wchar_t text[32] = {};
    GetDlgItemTextW(about, IDOK, text, 32);
    ok_text = text;
    for (HWND child = GetWindow(about, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
      if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) had_icon = true;
    }
    PostMessageW(GetDlgItem(about, IDOK), BM_CLICK, 0, 0);
  });
  VARIANT result;
  const HRESULT called = CallMember(hosted.Map(), DISPID_ABOUTBOX, {}, &result);
  driver.join();
  EXPECT_EQ(called, S_OK);
  EXPECT_EQ(ok_text, L"OK");
  EXPECT_TRUE(had_icon);
}

}  // namespace
