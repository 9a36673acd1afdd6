// The control's saved state: version 1.0, the framework's part (the extent and the stock
// property Enabled), then "AutoSize" (default false).
//
// Stream format (IPersistStreamInit, and the "Contents" stream of IPersistStorage), 14
// bytes, little-endian, written field by field:
//   0  u16  minor version (0)
//   2  u16  major version (1)
//   4  i32  width in HIMETRIC
//   8  i32  height in HIMETRIC
//  12  u8   Enabled (0 or 1)
//  13  u8   AutoSize (0 or 1)
// A stream of another major version, one cut short or an impossible extent is refused
// and the control keeps its defaults. Property bags hold the same values under the
// names "_Version" (major << 16 | minor), "_ExtentX", "_ExtentY", "Enabled", "AutoSize";
// a value that is missing or of a type that cannot be converted takes its default.
#include "vexausa_ctrl_win32.h"

#include <array>

namespace {

constexpr std::uint16_t kMajorVersion = 1;
constexpr std::uint16_t kMinorVersion = 0;
constexpr size_t kStreamSize = 14;
constexpr size_t kOffMinor = 0;
constexpr size_t kOffMajor = 2;
constexpr size_t kOffWidth = 4;
constexpr size_t kOffHeight = 8;
constexpr size_t kOffEnabled = 12;
constexpr size_t kOffAutoSize = 13;
// Far beyond any form: 10 m in HIMETRIC.
constexpr LONG kMaxExtent = 1000000;
constexpr wchar_t kContentsStream[] = L"Contents";

using StreamBytes = std::array<std::uint8_t, kStreamSize>;

void PutU16(StreamBytes& bytes, size_t offset, std::uint16_t value) {
  bytes[offset] = static_cast<std::uint8_t>(value & 0xFF);
  bytes[offset + 1] = static_cast<std::uint8_t>(value >> 8);
}
void PutI32(StreamBytes& bytes, size_t offset, std::int32_t value) {
  const auto u = static_cast<std::uint32_t>(value);
  for (size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<std::uint8_t>((u >> (8 * i)) & 0xFF);
}
std::uint16_t GetU16(const StreamBytes& bytes, size_t offset) {
  return static_cast<std::uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}
std::int32_t GetI32(const StreamBytes& bytes, size_t offset) {
  std::uint32_t u = 0;
  for (size_t i = 0; i < 4; ++i) u |= static_cast<std::uint32_t>(bytes[offset + i]) << (8 * i);
  return static_cast<std::int32_t>(u);
}

bool ExtentIsSane(LONG cx, LONG cy) { return cx >= 0 && cy >= 0 && cx <= kMaxExtent && cy <= kMaxExtent; }

// Reads property `name` of the bag as `type`; false when it is missing or unconvertible.
bool ReadBagValue(IPropertyBag* bag, IErrorLog* log, const wchar_t* name, VARTYPE type, VARIANT& value) {
  VariantInit(&value);
  VARIANT raw;
  VariantInit(&raw);
  raw.vt = type;
  if (FAILED(bag->Read(name, &raw, log))) return false;
  const bool ok = SUCCEEDED(VariantChangeType(&value, &raw, 0, type));
  VariantClear(&raw);
  return ok;
}

HRESULT WriteBagValue(IPropertyBag* bag, const wchar_t* name, VARIANT value) { return bag->Write(name, &value); }

VARIANT BoolValue(bool b) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BOOL;
  v.boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
  return v;
}

VARIANT LongValue(LONG n) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = n;
  return v;
}

}  // namespace

STDMETHODIMP CVexausaCtrl::GetClassID(CLSID* clsid) {
  if (clsid == nullptr) return E_POINTER;
  *clsid = CLSID_VexaUSA;
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

STDMETHODIMP CVexausaCtrl::InitNew() {
  ResetToDefaults();
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::Load(IStream* stream) {
  if (stream == nullptr) return E_POINTER;
  StreamBytes bytes{};
  ULONG got = 0;
  HRESULT result = stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &got);
  if (FAILED(result)) return result;
  if (got != bytes.size()) return STG_E_READFAULT;
  if (GetU16(bytes, kOffMajor) != kMajorVersion) return E_FAIL;
  const LONG cx = GetI32(bytes, kOffWidth);
  const LONG cy = GetI32(bytes, kOffHeight);
  if (!ExtentIsSane(cx, cy) || bytes[kOffEnabled] > 1 || bytes[kOffAutoSize] > 1) return E_FAIL;
  extent_ = {cx, cy};
  SetEnabled(bytes[kOffEnabled] != 0);
  auto_size_ = bytes[kOffAutoSize] != 0;
  size_reset_pending_ = false;
  dirty_ = false;
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::Save(IStream* stream, BOOL clear_dirty) {
  if (stream == nullptr) return E_POINTER;
  StreamBytes bytes{};
  PutU16(bytes, kOffMinor, kMinorVersion);
  PutU16(bytes, kOffMajor, kMajorVersion);
  PutI32(bytes, kOffWidth, extent_.cx);
  PutI32(bytes, kOffHeight, extent_.cy);
  bytes[kOffEnabled] = enabled_ ? 1 : 0;
  bytes[kOffAutoSize] = auto_size_ ? 1 : 0;
  ULONG written = 0;
  const HRESULT result = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &written);
  if (FAILED(result)) return result;
  if (written != bytes.size()) return STG_E_WRITEFAULT;
  if (clear_dirty) dirty_ = false;
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::GetSizeMax(ULARGE_INTEGER* size) {
  if (size == nullptr) return E_POINTER;
  size->QuadPart = kStreamSize;
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::Load(IPropertyBag* bag, IErrorLog* log) {
  if (bag == nullptr) return E_POINTER;
  VARIANT value;
  if (ReadBagValue(bag, log, L"_Version", VT_I4, value) &&
      (static_cast<ULONG>(value.lVal) >> 16) != kMajorVersion) {
    return E_FAIL;
  }
  ResetToDefaults();
  SIZEL extent = extent_;
  if (ReadBagValue(bag, log, L"_ExtentX", VT_I4, value)) extent.cx = value.lVal;
  if (ReadBagValue(bag, log, L"_ExtentY", VT_I4, value)) extent.cy = value.lVal;
  if (ExtentIsSane(extent.cx, extent.cy)) extent_ = extent;
  if (ReadBagValue(bag, log, L"Enabled", VT_BOOL, value)) SetEnabled(value.boolVal != VARIANT_FALSE);
  if (ReadBagValue(bag, log, L"AutoSize", VT_BOOL, value)) auto_size_ = value.boolVal != VARIANT_FALSE;
  // Loaded, not new: the size is the one saved.
  size_reset_pending_ = false;
  dirty_ = false;
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::Save(IPropertyBag* bag, BOOL clear_dirty, BOOL) {
  if (bag == nullptr) return E_POINTER;
  HRESULT result = WriteBagValue(bag, L"_Version", LongValue(static_cast<LONG>((kMajorVersion << 16) | kMinorVersion)));
  if (SUCCEEDED(result)) result = WriteBagValue(bag, L"_ExtentX", LongValue(extent_.cx));
  if (SUCCEEDED(result)) result = WriteBagValue(bag, L"_ExtentY", LongValue(extent_.cy));
  if (SUCCEEDED(result)) result = WriteBagValue(bag, L"Enabled", BoolValue(enabled_));
  if (SUCCEEDED(result)) result = WriteBagValue(bag, L"AutoSize", BoolValue(auto_size_));
  if (SUCCEEDED(result) && clear_dirty) dirty_ = false;
  return result;
}

STDMETHODIMP CVexausaCtrl::InitNew(IStorage* storage) {
  if (storage == nullptr) return E_POINTER;
  ResetToDefaults();
  return S_OK;
}

STDMETHODIMP CVexausaCtrl::Load(IStorage* storage) {
  if (storage == nullptr) return E_POINTER;
  ComPtr<IStream> stream;
  const HRESULT result =
      storage->OpenStream(kContentsStream, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, stream.Out());
  if (FAILED(result)) return result;
  return Load(stream.Get());
}

STDMETHODIMP CVexausaCtrl::Save(IStorage* storage, BOOL) {
  if (storage == nullptr) return E_POINTER;
  ComPtr<IStream> stream;
  const HRESULT result = storage->CreateStream(kContentsStream, STGM_CREATE | STGM_WRITE | STGM_SHARE_EXCLUSIVE, 0, 0,
                                               stream.Out());
  if (FAILED(result)) return result;
  return Save(stream.Get(), TRUE);
}

STDMETHODIMP CVexausaCtrl::SaveCompleted(IStorage*) { return S_OK; }
STDMETHODIMP CVexausaCtrl::HandsOffStorage() { return S_OK; }
