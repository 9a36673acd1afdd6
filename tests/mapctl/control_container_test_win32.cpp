// VEXAUSA.OCX in a minimal container of the tests' own, which answers the ambient
// properties (design mode or run mode) and draws the control through IViewObject, and
// the control's saved state through a stream, a property bag and a storage.
#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <gtest/gtest.h>

#include <string>

#include "control_test_environment_win32.h"
#include "control_test_support_win32.h"
#include "memory_property_bag_win32.h"

namespace {

constexpr DISPID kAutoSize = 1;

// A client site whose ambient UserMode the test sets; it counts layout requests.
class AmbientSite final : public IOleClientSite, public IDispatch {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IOleClientSite) {
      *object = static_cast<IOleClientSite*>(this);
    } else if (iid == IID_IDispatch) {
      *object = static_cast<IDispatch*>(this);
    } else {
      return E_NOINTERFACE;
    }
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP SaveObject() override { return S_OK; }
  STDMETHODIMP GetMoniker(DWORD, DWORD, IMoniker** moniker) override {
    *moniker = nullptr;
    return E_FAIL;
  }
  STDMETHODIMP GetContainer(IOleContainer** container) override {
    *container = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP ShowObject() override { return S_OK; }
  STDMETHODIMP OnShowWindow(BOOL) override { return S_OK; }
  STDMETHODIMP RequestNewObjectLayout() override {
    ++layout_requests;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return DISP_E_UNKNOWNNAME; }
  STDMETHODIMP Invoke(DISPID dispid, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override {
    if (dispid != DISPID_AMBIENT_USERMODE || result == nullptr) return DISP_E_MEMBERNOTFOUND;
    VariantInit(result);
    result->vt = VT_BOOL;
    result->boolVal = user_mode ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }

  bool user_mode = false;
  int layout_requests = 0;
};

// Records the property changes the control announces.
class ChangeSink final : public IPropertyNotifySink {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (iid != IID_IUnknown && iid != IID_IPropertyNotifySink) return E_NOINTERFACE;
    *object = static_cast<IPropertyNotifySink*>(this);
    return S_OK;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP OnChanged(DISPID dispid) override {
    changes.push_back(dispid);
    return S_OK;
  }
  STDMETHODIMP OnRequestEdit(DISPID) override { return S_OK; }
  std::vector<DISPID> changes;
};

// A 32-bit drawing surface of the test's own.
class DrawingSurface {
 public:
  DrawingSurface(int width, int height) : dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
  }
  ~DrawingSurface() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  DrawingSurface(const DrawingSurface&) = delete;
  DrawingSurface& operator=(const DrawingSurface&) = delete;
  HDC Dc() const { return dc_; }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

HRESULT DrawInto(IUnknown* control, HDC dc, int width, int height) {
  IViewObject2* view = nullptr;
  HRESULT result = control->QueryInterface(IID_IViewObject2, reinterpret_cast<void**>(&view));
  if (FAILED(result)) return result;
  RECTL bounds{0, 0, width, height};
  result = view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0);
  view->Release();
  return result;
}

// A fresh control (InitNew) with its interfaces at hand.
class Control {
 public:
  explicit Control(IOleClientSite* site = nullptr, bool init_new = true) {
    CoCreateInstance(CLSID_VexaUSA, nullptr, CLSCTX_INPROC_SERVER, IID_IOleObject, reinterpret_cast<void**>(&object_));
    if (object_ == nullptr) return;
    object_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&map_));
    if (site != nullptr) object_->SetClientSite(site);
    if (init_new) {
      IPersistStreamInit* persist = nullptr;
      object_->QueryInterface(IID_IPersistStreamInit, reinterpret_cast<void**>(&persist));
      if (persist != nullptr) {
        persist->InitNew();
        persist->Release();
      }
    }
  }
  ~Control() {
    if (map_ != nullptr) map_->Release();
    if (object_ != nullptr) {
      object_->SetClientSite(nullptr);
      object_->Release();
    }
  }
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;

  bool Ready() const { return object_ != nullptr && map_ != nullptr; }
  IOleObject* Object() const { return object_; }
  IDispatch* Map() const { return map_; }
  template <class T>
  T* As(REFIID iid) const {
    T* p = nullptr;
    object_->QueryInterface(iid, reinterpret_cast<void**>(&p));
    return p;
  }
  SIZEL Extent() const {
    SIZEL size{-1, -1};
    object_->GetExtent(DVASPECT_CONTENT, &size);
    return size;
  }

 private:
  IOleObject* object_ = nullptr;
  IDispatch* map_ = nullptr;
};

SIZEL NaturalExtent() {
  HDC screen = GetDC(nullptr);
  const SIZEL size{MulDiv(513, 2540, GetDeviceCaps(screen, LOGPIXELSX)),
                   MulDiv(352, 2540, GetDeviceCaps(screen, LOGPIXELSY))};
  ReleaseDC(nullptr, screen);
  return size;
}

class ContainerTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ControlRegistered()) << "regsvr32 failed"; }
};

TEST_F(ContainerTest, DrawnOnlyInDesignModeTheControlAnswersZeroUntilItRuns) {
  AmbientSite site;
  Control control(&site);
  ASSERT_TRUE(control.Ready());
  DrawingSurface surface(513, 352);
  // The first drawing of a new control only gives it its natural size.
  SIZEL other{1000, 1000};
  control.Object()->SetExtent(DVASPECT_CONTENT, &other);
  ASSERT_EQ(DrawInto(control.Object(), surface.Dc(), 513, 352), S_OK);
  EXPECT_EQ(site.layout_requests, 1);
  EXPECT_EQ(control.Extent().cx, NaturalExtent().cx);
  EXPECT_EQ(control.Extent().cy, NaturalExtent().cy);

  ASSERT_EQ(DrawInto(control.Object(), surface.Dc(), 513, 352), S_OK);
  for (const StatePoint& p : StatePoints()) {
    EXPECT_EQ(StateId(control.Map(), p.x, p.y), 0) << "state " << p.id;
  }
  EXPECT_EQ(MaskPixel(control.Map(), 240, 253), -1) << "no mask surface in design mode";

  // The container switches to run mode: the next drawing builds the mask.
  site.user_mode = true;
  IOleControl* ole_control = control.As<IOleControl>(IID_IOleControl);
  ASSERT_NE(ole_control, nullptr);
  EXPECT_EQ(ole_control->OnAmbientPropertyChange(DISPID_AMBIENT_USERMODE), S_OK);
  ole_control->Release();
  ASSERT_EQ(DrawInto(control.Object(), surface.Dc(), 513, 352), S_OK);
  EXPECT_EQ(StateId(control.Map(), 240, 253), 43);
  EXPECT_EQ(StateId(control.Map(), 23, 108), 5) << "California";
  EXPECT_EQ(StateId(control.Map(), 175, 155), 6) << "Colorado, the same green";
}

TEST_F(ContainerTest, AutoSizeWrittenInDesignModeTogglesEnabledThereAndBack) {
  AmbientSite site;
  Control control(&site);
  ASSERT_TRUE(control.Ready());
  IConnectionPointContainer* points = control.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
  ASSERT_NE(points, nullptr);
  IConnectionPoint* point = nullptr;
  ASSERT_EQ(points->FindConnectionPoint(IID_IPropertyNotifySink, &point), S_OK);
  points->Release();
  ChangeSink sink;
  DWORD cookie = 0;
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);

  ASSERT_EQ(PutBool(control.Map(), kAutoSize, true), S_OK);
  EXPECT_EQ(sink.changes, (std::vector<DISPID>{DISPID_ENABLED, DISPID_ENABLED, kAutoSize}));
  EXPECT_TRUE(GetBool(control.Map(), DISPID_ENABLED));

  site.user_mode = true;
  sink.changes.clear();
  ASSERT_EQ(PutBool(control.Map(), kAutoSize, false), S_OK);
  EXPECT_EQ(sink.changes, (std::vector<DISPID>{kAutoSize}));
  point->Unadvise(cookie);
  point->Release();
}

TEST_F(ContainerTest, AnInterfaceSurveyFindsWhatAFullControlOffers) {
  Control control;
  ASSERT_TRUE(control.Ready());
  for (const IID* iid : {&IID_IOleObject, &IID_IOleInPlaceObject, &IID_IOleInPlaceActiveObject, &IID_IOleControl,
                         &IID_IViewObject, &IID_IViewObject2, &IID_IPersistStreamInit, &IID_IPersistPropertyBag,
                         &IID_IPersistStorage, &IID_IConnectionPointContainer, &IID_IProvideClassInfo,
                         &IID_IProvideClassInfo2, &IID_ISpecifyPropertyPages, &IID_IQuickActivate, &IID_IDispatch,
                         &DIID__DVexaUSA}) {
    IUnknown* p = nullptr;
    EXPECT_EQ(control.Object()->QueryInterface(*iid, reinterpret_cast<void**>(&p)), S_OK) << GuidText(*iid).c_str();
    if (p != nullptr) p->Release();
  }
  DWORD status = 0;
  EXPECT_EQ(control.Object()->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_EQ(status, 0x20191u);

  IProvideClassInfo2* info = control.As<IProvideClassInfo2>(IID_IProvideClassInfo2);
  ASSERT_NE(info, nullptr);
  GUID source{};
  EXPECT_EQ(info->GetGUID(GUIDKIND_DEFAULT_SOURCE_DISP_IID, &source), S_OK);
  EXPECT_TRUE(IsEqualGUID(source, DIID__DVexaUSAEvents));
  ITypeInfo* coclass = nullptr;
  ASSERT_EQ(info->GetClassInfo(&coclass), S_OK);
  TYPEATTR* attributes = nullptr;
  ASSERT_EQ(coclass->GetTypeAttr(&attributes), S_OK);
  EXPECT_TRUE(IsEqualGUID(attributes->guid, CLSID_VexaUSA));
  coclass->ReleaseTypeAttr(attributes);
  coclass->Release();
  info->Release();

  // The quick way in, as form designers activate controls.
  IQuickActivate* quick = control.As<IQuickActivate>(IID_IQuickActivate);
  ASSERT_NE(quick, nullptr);
  AmbientSite site;
  RecordingSink events;
  QACONTAINER container{};
  container.cbSize = sizeof container;
  container.pClientSite = &site;
  container.pUnkEventSink = &events;
  QACONTROL answer{};
  answer.cbSize = sizeof answer;
  EXPECT_EQ(quick->QuickActivate(&container, &answer), S_OK);
  EXPECT_EQ(answer.dwMiscStatus, 0x20191u);
  EXPECT_NE(answer.dwEventCookie, 0u);
  quick->Release();
  control.Object()->SetClientSite(nullptr);
  IConnectionPointContainer* points = control.As<IConnectionPointContainer>(IID_IConnectionPointContainer);
  IConnectionPoint* point = nullptr;
  ASSERT_EQ(points->FindConnectionPoint(DIID__DVexaUSAEvents, &point), S_OK);
  EXPECT_EQ(point->Unadvise(answer.dwEventCookie), S_OK);
  point->Release();
  points->Release();
}

std::vector<BYTE> StreamBytes(IStream* stream) {
  STATSTG stat{};
  stream->Stat(&stat, STATFLAG_NONAME);
  std::vector<BYTE> bytes(static_cast<size_t>(stat.cbSize.QuadPart));
  LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  ULONG got = 0;
  stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
  return bytes;
}

IStream* StreamOf(const std::vector<BYTE>& bytes) {
  IStream* stream = nullptr;
  CreateStreamOnHGlobal(nullptr, TRUE, &stream);
  ULONG written = 0;
  stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  LARGE_INTEGER start{};
  stream->Seek(start, STREAM_SEEK_SET, nullptr);
  return stream;
}

TEST_F(ContainerTest, TheSavedStateComesBackThroughAStreamAndBadStreamsAreRefused) {
  Control saved;
  ASSERT_TRUE(saved.Ready());
  ASSERT_EQ(PutBool(saved.Map(), kAutoSize, true), S_OK);
  ASSERT_EQ(PutBool(saved.Map(), DISPID_ENABLED, false), S_OK);
  SIZEL extent{5000, 4000};
  ASSERT_EQ(saved.Object()->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
  IPersistStreamInit* persist = saved.As<IPersistStreamInit>(IID_IPersistStreamInit);
  EXPECT_EQ(persist->IsDirty(), S_OK);
  IStream* stream = nullptr;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, &stream), S_OK);
  ASSERT_EQ(persist->Save(stream, TRUE), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_FALSE);
  persist->Release();
  const std::vector<BYTE> bytes = StreamBytes(stream);
  stream->Release();
  EXPECT_EQ(bytes, (std::vector<BYTE>{0, 0, 1, 0, 0x88, 0x13, 0, 0, 0xA0, 0x0F, 0, 0, 0, 1}));

  Control loaded(nullptr, false);
  ASSERT_TRUE(loaded.Ready());
  persist = loaded.As<IPersistStreamInit>(IID_IPersistStreamInit);
  stream = StreamOf(bytes);
  ASSERT_EQ(persist->Load(stream), S_OK);
  stream->Release();
  persist->Release();
  EXPECT_TRUE(GetBool(loaded.Map(), kAutoSize));
  EXPECT_FALSE(GetBool(loaded.Map(), DISPID_ENABLED));
  EXPECT_EQ(loaded.Extent().cx, 5000);
  EXPECT_EQ(loaded.Extent().cy, 4000);

  // Cut short, another major version, an impossible extent: refused, defaults kept.
  std::vector<BYTE> short_bytes(bytes.begin(), bytes.begin() + 10);
  std::vector<BYTE> version_two = bytes;
  version_two[2] = 2;
  std::vector<BYTE> huge = bytes;
  huge[7] = 0x7F;
  for (const auto& bad : {short_bytes, version_two, huge}) {
    Control fresh;
    persist = fresh.As<IPersistStreamInit>(IID_IPersistStreamInit);
    stream = StreamOf(bad);
    EXPECT_NE(persist->Load(stream), S_OK);
    stream->Release();
    persist->Release();
    EXPECT_FALSE(GetBool(fresh.Map(), kAutoSize));
    EXPECT_TRUE(GetBool(fresh.Map(), DISPID_ENABLED));
  }
}

TEST_F(ContainerTest, TheSavedStateComesBackThroughAPropertyBagAndAStorage) {
  Control saved;
  ASSERT_TRUE(saved.Ready());
  ASSERT_EQ(PutBool(saved.Map(), kAutoSize, true), S_OK);
  ASSERT_EQ(PutBool(saved.Map(), DISPID_ENABLED, false), S_OK);
  MemoryPropertyBag bag;
  IPersistPropertyBag* persist = saved.As<IPersistPropertyBag>(IID_IPersistPropertyBag);
  ASSERT_EQ(persist->Save(&bag, TRUE, TRUE), S_OK);
  persist->Release();
  ASSERT_EQ(bag.values.count(L"AutoSize"), 1u);
  EXPECT_EQ(bag.values[L"AutoSize"].vt, VT_BOOL);
  EXPECT_EQ(bag.values[L"AutoSize"].boolVal, VARIANT_TRUE);
  EXPECT_EQ(bag.values[L"Enabled"].boolVal, VARIANT_FALSE);
  EXPECT_EQ(bag.values[L"_Version"].lVal, 0x10000);

  Control loaded(nullptr, false);
  persist = loaded.As<IPersistPropertyBag>(IID_IPersistPropertyBag);
  ASSERT_EQ(persist->Load(&bag, nullptr), S_OK);
  persist->Release();
  EXPECT_TRUE(GetBool(loaded.Map(), kAutoSize));
  EXPECT_FALSE(GetBool(loaded.Map(), DISPID_ENABLED));

  // Written by hand: a value that is no boolean and a missing one take their defaults.
  MemoryPropertyBag written;
  VARIANT text;
  VariantInit(&text);
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(L"perhaps");
  written.Write(L"AutoSize", &text);
  VariantClear(&text);
  Control tolerant(nullptr, false);
  persist = tolerant.As<IPersistPropertyBag>(IID_IPersistPropertyBag);
  EXPECT_EQ(persist->Load(&written, nullptr), S_OK);
  persist->Release();
  EXPECT_FALSE(GetBool(tolerant.Map(), kAutoSize));
  EXPECT_TRUE(GetBool(tolerant.Map(), DISPID_ENABLED));

  // A compound document keeps the stream form under "Contents".
  ILockBytes* bytes = nullptr;
  ASSERT_EQ(CreateILockBytesOnHGlobal(nullptr, TRUE, &bytes), S_OK);
  IStorage* storage = nullptr;
  ASSERT_EQ(StgCreateDocfileOnILockBytes(bytes, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE, 0, &storage),
            S_OK);
  IPersistStorage* in_storage = saved.As<IPersistStorage>(IID_IPersistStorage);
  ASSERT_EQ(in_storage->Save(storage, FALSE), S_OK);
  EXPECT_EQ(in_storage->SaveCompleted(nullptr), S_OK);
  in_storage->Release();
  Control from_storage(nullptr, false);
  in_storage = from_storage.As<IPersistStorage>(IID_IPersistStorage);
  ASSERT_EQ(in_storage->Load(storage), S_OK);
  in_storage->Release();
  storage->Release();
  bytes->Release();
  EXPECT_TRUE(GetBool(from_storage.Map(), kAutoSize));
  EXPECT_FALSE(GetBool(from_storage.Map(), DISPID_ENABLED));
}

}  // namespace
