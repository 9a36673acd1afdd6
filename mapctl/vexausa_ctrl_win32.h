// CVexausaCtrl, the USA map control: one object that offers containers every interface
// of a full control. Its members are spread over files by concept:
//   vexausa_ctrl_win32.cpp     identity, size, the mouse events, windows, connection
//                              points, class information and property pages
//   vexausa_dispatch_win32.cpp the dispatch interface _DVexaUSA and its members
//   vexausa_drawing_win32.cpp  the pictures, drawing and the mask surface
//   ole_embedding_win32.cpp    embedding and in-place activation (IOleObject,
//                              IOleInPlaceObject, IOleInPlaceActiveObject, IOleControl,
//                              IViewObject2, IQuickActivate)
//   persistence_win32.cpp      IPersistStreamInit, IPersistPropertyBag, IPersistStorage
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <vector>

#include "com_support_win32.h"
#include "connection_point_win32.h"
#include "hit_test.h"
#include "map_window_win32.h"
#include "state_table.h"
#include "vexausa_ids.h"

// The dispatch identifiers of _DVexaUSA and _DVexaUSAEvents.
enum : DISPID {
  kDispAutoSize = 1,
  kDispGetMaskPixel = 2,
  kDispGetStateId = 3,
  kDispGetStateName = 4,
};
enum : DISPID {
  kEventMouseMoveOnMap = 1,
  kEventMouseUpOnMap = 2,
  kEventMouseDownOnMap = 3,
  kEventClickMap = 4,
};

// What the control registers and answers as its miscellaneous status: recompose on
// resize, can't link inside, inside-out, activate when visible, set client site first.
inline constexpr DWORD kVexausaMiscStatus = 0x20191;

class CVexausaCtrl final : public IOleObject,
                           public IOleInPlaceObject,
                           public IOleInPlaceActiveObject,
                           public IOleControl,
                           public IViewObject2,
                           public IPersistStreamInit,
                           public IPersistPropertyBag,
                           public IPersistStorage,
                           public IConnectionPointContainer,
                           public IProvideClassInfo2,
                           public ISpecifyPropertyPages,
                           public IQuickActivate,
                           public IDispatch,
                           private MapWindowOwner {
 public:
  CVexausaCtrl();
  ~CVexausaCtrl();
  CVexausaCtrl(const CVexausaCtrl&) = delete;
  CVexausaCtrl& operator=(const CVexausaCtrl&) = delete;

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IDispatch (_DVexaUSA)
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
  STDMETHODIMP Invoke(DISPID dispid, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argument_error) override;

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR container_app, LPCOLESTR container_object) override;
  STDMETHODIMP Close(DWORD save_option) override;
  STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
  STDMETHODIMP DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index, HWND parent,
                      LPCRECT rect) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
  STDMETHODIMP Update() override;
  STDMETHODIMP IsUpToDate() override;
  STDMETHODIMP GetUserClassID(CLSID* clsid) override;
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* type) override;
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP Unadvise(DWORD connection) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

  // IOleWindow (IOleInPlaceObject, IOleInPlaceActiveObject)
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enter_mode) override;
  // IOleInPlaceObject
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
  STDMETHODIMP ReactivateAndUndo() override;
  // IOleInPlaceActiveObject
  STDMETHODIMP TranslateAccelerator(LPMSG message) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame_window) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;

  // IOleControl
  STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
  STDMETHODIMP OnMnemonic(MSG* message) override;
  STDMETHODIMP OnAmbientPropertyChange(DISPID dispid) override;
  STDMETHODIMP FreezeEvents(BOOL freeze) override;

  // IViewObject2
  STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* device, HDC target_dc,
                    HDC draw_dc, LPCRECTL bounds, LPCRECTL window_bounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                    ULONG_PTR cont_arg) override;
  STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspect_info, DVTARGETDEVICE* device, HDC target_dc,
                           LOGPALETTE** colours) override;
  STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspect_info, DWORD* freeze) override;
  STDMETHODIMP Unfreeze(DWORD freeze) override;
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD advise_flags, IAdviseSink* sink) override;
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* advise_flags, IAdviseSink** sink) override;
  STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;

  // IPersist and its three kinds
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  STDMETHODIMP IsDirty() override;
  STDMETHODIMP Load(IStream* stream) override;
  STDMETHODIMP Save(IStream* stream, BOOL clear_dirty) override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
  STDMETHODIMP InitNew() override;
  STDMETHODIMP Load(IPropertyBag* bag, IErrorLog* log) override;
  STDMETHODIMP Save(IPropertyBag* bag, BOOL clear_dirty, BOOL save_all) override;
  STDMETHODIMP InitNew(IStorage* storage) override;
  STDMETHODIMP Load(IStorage* storage) override;
  STDMETHODIMP Save(IStorage* storage, BOOL same_as_load) override;
  STDMETHODIMP SaveCompleted(IStorage* storage) override;
  STDMETHODIMP HandsOffStorage() override;

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  // IProvideClassInfo2
  STDMETHODIMP GetClassInfo(ITypeInfo** info) override;
  STDMETHODIMP GetGUID(DWORD kind, GUID* guid) override;

  // ISpecifyPropertyPages
  STDMETHODIMP GetPages(CAUUID* pages) override;

  // IQuickActivate
  STDMETHODIMP QuickActivate(QACONTAINER* container, QACONTROL* control) override;
  STDMETHODIMP SetContentExtent(LPSIZEL size) override;
  STDMETHODIMP GetContentExtent(LPSIZEL size) override;

 private:
  IUnknown* Identity() { return static_cast<IOleObject*>(this); }

  // _DVexaUSA's members.
  std::int32_t GetMaskPixel(std::int16_t x, std::int16_t y) const;
  std::int16_t GetStateId(std::int16_t x, std::int16_t y) const;
  void SetAutoSize(bool value);
  void SetEnabled(bool value);
  void AboutBox();
  HRESULT InvokeMember(DISPID dispid, WORD flags, const DISPPARAMS& params, VARIANT* result, UINT* argument_error);
  HRESULT PutBooleanProperty(DISPID dispid, const DISPPARAMS& params, UINT* argument_error);
  HRESULT GetBooleanProperty(DISPID dispid, const DISPPARAMS& params, VARIANT* result) const;
  HRESULT CallMethod(DISPID dispid, std::int16_t first, std::int16_t second, VARIANT* result);

  // The framework's part of a control.
  void LoadPictures();
  void ResetToDefaults();
  bool AmbientUserMode() const;
  void OnDraw(HDC dc, const RECT& bounds);
  void RebuildMaskSurface(const DrawingBounds& bounds);
  void ReleaseMaskSurface();
  void SetControlSize(int width, int height);
  void InvalidateControl();
  void PropertyChanged(DISPID dispid);
  void FireEvent(DISPID dispid, const std::vector<VARIANT>& arguments);
  void FireMouseEvent(DISPID dispid, std::int16_t state, std::int16_t x, std::int16_t y, std::uint16_t button);
  LRESULT OnMouseMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnWindowMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) override;
  HRESULT InPlaceActivate(bool ui_activate, IOleClientSite* site);
  HWND OwnerWindow() const;
  void ShowPropertyPages();
  HWND ContainerWindow() const;

  ServerObjectCount count_;
  LONG refs_ = 0;

  // The pictures and the state table.
  StateTable table_{};
  HBITMAP map_picture_ = nullptr;
  HBITMAP mask_picture_ = nullptr;

  // Instance data of the map.
  bool auto_size_ = false;
  bool enabled_ = true;
  bool size_reset_pending_ = false;
  bool auto_size_pending_ = false;
  bool left_button_down_ = false;
  DrawingBounds last_bounds_{};
  HDC mask_dc_ = nullptr;
  HBITMAP mask_bitmap_ = nullptr;
  HGDIOBJ mask_dc_old_bitmap_ = nullptr;

  // Embedding state.
  SIZEL extent_{};  // HIMETRIC
  bool dirty_ = false;
  int freeze_count_ = 0;
  ComPtr<IOleClientSite> client_site_;
  ComPtr<IOleAdviseHolder> advise_holder_;
  ComPtr<IAdviseSink> view_sink_;
  DWORD view_aspects_ = 0;
  DWORD view_advise_flags_ = 0;
  ComPtr<IOleInPlaceSite> in_place_site_;
  ComPtr<IOleInPlaceFrame> in_place_frame_;
  ComPtr<IOleInPlaceUIWindow> in_place_document_;
  HWND window_ = nullptr;
  RECT position_{};
  bool ui_active_ = false;

  ConnectionPoint events_;
  ConnectionPoint property_notify_;
  ComPtr<ITypeInfo> dispatch_info_;
};

HRESULT CreateVexausaCtrl(REFIID iid, void** object);
