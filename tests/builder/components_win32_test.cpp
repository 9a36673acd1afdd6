// The components' Windows faces under Wine, against the platform's own answers:
// LoadTypeLib for the type-library reader, the version functions for the version
// reader, the registry for server class lookups, CreateProcess for processes.
#include <windows.h>
#include <oleauto.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "cab_builder.h"
#include "cab_format.h"
#include "cache_directories.h"
#include "pe_version.h"
#include "process.h"
#include "narrow_text.h"
#include "text_files.h"
#include "server_class_id.h"
#include "type_library.h"
#include "wide_text_win32.h"

namespace {

namespace fs = std::filesystem;

#ifndef VEXA_WINE_WINDOWS_DIR
#error "VEXA_WINE_WINDOWS_DIR must name Wine's directory of PE files, as seen under Wine"
#endif

// The coclasses LoadTypeLibEx reports, in its order; false when it cannot load one.
bool ClassesByLoadTypeLib(const std::string& path, std::vector<std::string>& classes) {
  ITypeLib* library = nullptr;
  if (FAILED(LoadTypeLibEx(WideText(path).c_str(), REGKIND_NONE, &library))) return false;
  for (UINT i = 0; i < library->GetTypeInfoCount(); ++i) {
    TYPEKIND kind {};
    if (FAILED(library->GetTypeInfoType(i, &kind)) || kind != TKIND_COCLASS) continue;
    ITypeInfo* info = nullptr;
    if (FAILED(library->GetTypeInfo(i, &info))) continue;
    TYPEATTR* attributes = nullptr;
    if (SUCCEEDED(info->GetTypeAttr(&attributes))) {
      wchar_t text[64] = {};
      StringFromGUID2(attributes->guid, text, 64);
      classes.push_back(NarrowText(text));
      info->ReleaseTypeAttr(attributes);
    }
    info->Release();
  }
  library->Release();
  return true;
}

std::vector<std::string> WineFiles(const std::string& extension) {
  std::vector<std::string> files;
  WIN32_FIND_DATAW found {};
  const std::wstring directory = WideText(VEXA_WINE_WINDOWS_DIR);
  HANDLE search = FindFirstFileW((directory + L"\\*" + WideText(extension)).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return files;
  do {
    files.push_back(NarrowText(directory + L"\\" + found.cFileName));
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(files.begin(), files.end());
  return files;
}

class ComponentsWin32Test : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitialize(nullptr); }
};

TEST_F(ComponentsWin32Test, TypeLibraryClassesMatchLoadTypeLibOnWidlAndWineLibraries) {
  std::vector<std::string> files = WineFiles(".tlb");
  ASSERT_GE(files.size(), 3u);
  files.push_back(VEXA_SAMPLE_TLB);
  files.push_back(VEXA_TYPELIB_HOLDER);
  // Wine's DLLs and controls: those that carry a type library, and every tenth of the others.
  std::size_t others = 0;
  for (const char* extension : {".dll", ".ocx"}) {
    for (const std::string& file : WineFiles(extension)) {
      if (!EmbeddedTypeLibraryClassIds(file).empty() || others++ % 10 == 0) files.push_back(file);
    }
  }
  std::size_t with_classes = 0;
  for (const std::string& file : files) {
    std::vector<std::string> expected;
    const bool loaded = ClassesByLoadTypeLib(file, expected);
    EXPECT_EQ(EmbeddedTypeLibraryClassIds(file), expected) << file << (loaded ? "" : " (LoadTypeLibEx failed)");
    if (!expected.empty()) ++with_classes;
  }
  EXPECT_GE(with_classes, 20u);
}

// What the setup engine reads: the FileVersion of the first translation, through the
// version functions.
std::string VersionBySystem(const std::string& path) {
  const std::wstring wide = WideText(path);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(wide.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<char> buffer(size);
  if (!GetFileVersionInfoW(wide.c_str(), 0, size, buffer.data())) return {};
  void* value = nullptr;
  UINT length = 0;
  wchar_t key[64] = L"\\StringFileInfo\\040904E4\\FileVersion";
  if (VerQueryValueW(buffer.data(), L"\\VarFileInfo\\Translation", &value, &length) && length >= 4) {
    const WORD* translation = static_cast<const WORD*>(value);
    swprintf(key, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translation[0], translation[1]);
  }
  if (!VerQueryValueW(buffer.data(), key, &value, &length) || !value) return {};
  return NarrowText(static_cast<const wchar_t*>(value));
}

TEST_F(ComponentsWin32Test, FileVersionEqualsTheVersionFunctionsOnASampleOfWineDlls) {
  const std::vector<std::string> files = WineFiles(".dll");
  ASSERT_GT(files.size(), 300u);
  std::size_t with_version = 0;
  for (std::size_t i = 0; i < files.size(); i += 3) {
    const std::string expected = VersionBySystem(files[i]);
    EXPECT_EQ(GetFileVersion(files[i]), expected) << files[i];
    if (!expected.empty()) ++with_version;
  }
  EXPECT_GT(with_version, 50u);
}

class RegisteredServer {
 public:
  RegisteredServer(const std::wstring& class_id, const std::wstring& server, DWORD type) : key_(L"CLSID\\" + class_id) {
    HKEY key = nullptr;
    RegCreateKeyExW(HKEY_CLASSES_ROOT, (key_ + L"\\InprocServer32").c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
    RegSetValueExW(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(server.c_str()),
                   static_cast<DWORD>((server.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  ~RegisteredServer() { RegDeleteTreeW(HKEY_CLASSES_ROOT, key_.c_str()); }

 private:
  std::wstring key_;
};

TEST_F(ComponentsWin32Test, ServerClassIdFindsTheRegisteredServerByLongShortAndExpandedPaths) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::wstring directory = std::wstring(temp) + L"Vexa Builder Server Test\\";
  CreateDirectoryW(directory.c_str(), nullptr);
  const std::wstring control = directory + L"Long Control Name.ocx";
  const std::wstring other = directory + L"Unregistered.ocx";
  for (const std::wstring& file : {control, other}) {
    HANDLE handle = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(handle);
  }
  wchar_t short_path[MAX_PATH] = {};
  ASSERT_GT(GetShortPathNameW(control.c_str(), short_path, MAX_PATH), 0u);
  const std::wstring class_id = L"{9E5D1C3A-7B2F-4C11-8D6E-0A1B2C3D4E5F}";
  {
    RegisteredServer registered(class_id, short_path, REG_SZ);
    EXPECT_EQ(GetServerClassId(NarrowText(control), true), NarrowText(class_id));
    EXPECT_EQ(GetOcxRegistration(NarrowText(control), true), NarrowText(class_id));
    EXPECT_EQ(GetServerClassId(NarrowText(short_path), true), NarrowText(class_id));
    EXPECT_EQ(GetServerClassId(NarrowText(other), true), "");
  }
  EXPECT_EQ(GetServerClassId(NarrowText(control), true), "");
  {
    RegisteredServer registered(class_id, L"\"%TEMP%\\Vexa Builder Server Test\\LONG CONTROL NAME.OCX\"", REG_EXPAND_SZ);
    EXPECT_EQ(GetServerClassId(NarrowText(control), true), NarrowText(class_id));
  }
  DeleteFileW(control.c_str());
  DeleteFileW(other.c_str());
  RemoveDirectoryW(directory.c_str());
}

TEST_F(ComponentsWin32Test, AStartedProcessRunsUntilItEndsAndAMissingProgramNeverRuns) {
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::string marker = NarrowText(temp) + "vexa-process-marker.txt";
  DeleteFileW(WideText(marker).c_str());
  const std::int64_t handle = StartProcess("cmd.exe", "/c echo started> \"" + marker + "\"", true);
  ASSERT_NE(handle, 0);
  for (int i = 0; i < 2000 && IsProcessRunning(handle); ++i) Sleep(10);
  EXPECT_FALSE(IsProcessRunning(handle));
  EXPECT_NE(GetFileAttributesW(WideText(marker).c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileW(WideText(marker).c_str());
  const std::int64_t missing = StartProcess("C:\\no\\such\\program.exe", "", true);
  EXPECT_FALSE(IsProcessRunning(missing));
  std::uint32_t status = 7;
  EXPECT_FALSE(ProcessExitStatus(missing, status));
  // The wait ends with the process (a wait that ignored it would last a minute); its exit
  // code is kept.
  const std::int64_t exits = StartProcess("cmd.exe", "/c exit 3", true);
  ASSERT_NE(exits, 0);
  WaitForProcess(exits, 60'000);
  EXPECT_FALSE(IsProcessRunning(exits));
  ASSERT_TRUE(ProcessExitStatus(exits, status));
  EXPECT_EQ(status, 3u);
}

// Narrow text is the ANSI code page in the Windows build: a name in it reaches the same file
// through the "A" functions, the wide ones and the C library, and a cabinet stores it as UTF-8.
TEST_F(ComponentsWin32Test, NarrowTextIsTheAnsiCodePageEverywhere) {
  const std::wstring e_acute = L"\u00E9";
  BOOL lossy = FALSE;
  char narrow_e[8] = {};
  ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, e_acute.c_str(), 1, narrow_e, sizeof narrow_e, nullptr, &lossy), 1);
  ASSERT_FALSE(lossy) << "the code page of this prefix has no e acute";
  const std::string name = std::string("caf") + narrow_e + ".txt";
  EXPECT_EQ(WideText(name), L"caf" + e_acute + L".txt");
  EXPECT_EQ(NarrowText(L"caf" + e_acute + L".txt"), name);

  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::string path = NarrowText(temp) + name;
  ASSERT_TRUE(WriteTextFile("bytes", path));
  EXPECT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW((std::wstring(temp) + L"caf" + e_acute + L".txt").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(ReadTextFile(path), "bytes");
  EXPECT_EQ(GetFileVersion(path), "");
  DeleteFileA(path.c_str());

  std::string stored;
  bool is_utf8 = false;
  ASSERT_TRUE(StoredCabName("sub/" + name, stored, is_utf8));
  EXPECT_TRUE(is_utf8);
  EXPECT_EQ(stored, "sub\\caf\xC3\xA9.txt");
  EXPECT_EQ(Utf16ToNarrow(NarrowToUtf16(name)), name);
}

TEST_F(ComponentsWin32Test, TheCacheBaseIsThePerUserLocalApplicationData) {
  wchar_t local[MAX_PATH] = {};
  ASSERT_GT(GetEnvironmentVariableW(L"LOCALAPPDATA", local, MAX_PATH), 0u);
  EXPECT_EQ(GetCacheBaseDirectory(), NarrowText(local) + "\\Corvanta\\");
  const std::string scripts = GetCacheBaseDirectory() + "Temporary VexaWeb Files\\Installed Scripts\\";
  ASSERT_TRUE(ResetCacheDirectory(scripts));
  EXPECT_NE(GetFileAttributesW(WideText(scripts).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_FALSE(ResetCacheDirectory(NarrowText(local) + "\\"));
}

struct FinalEvent : MakeCabEvents {
  std::string kind;
  DWORD thread = 0;
  void MakeCabProgress(const std::string&, const std::string&, std::uint64_t, std::uint64_t) override {
    thread = GetCurrentThreadId();
  }
  void MakeCabDone(const std::string&, std::uint64_t, std::uint64_t) override { kind = "done"; }
  void MakeCabError(const std::string&) override { kind = "error"; }
  void MakeCabCancel(const std::string&) override { kind = "cancel"; }
};

// The worker wakes the window with a posted message; the events then arrive on the
// window's thread when it processes them.
TEST_F(ComponentsWin32Test, TheBuildWakesTheWindowAndItsEventsArriveOnTheWindowsThread) {
  constexpr UINT kWake = WM_APP + 7;
  HWND window = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);
  CabBuilder builder(window, kWake);
  builder.AddFileToCab(VEXA_SAMPLE_TLB, "sample_library.tlb");
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  const std::string cabinet = NarrowText(temp) + "vexa-wake-test.cab";
  ASSERT_TRUE(builder.MakeCab(cabinet, 0));
  FinalEvent events;
  int wakes = 0;
  UINT_PTR timer = SetTimer(window, 1, 20000, nullptr);
  MSG message {};
  while (events.kind.empty() && GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.message == WM_TIMER) break;
    if (message.message == kWake && message.hwnd == window) {
      ++wakes;
      builder.ProcessMakeCabEvents(events);
    }
  }
  KillTimer(window, timer);
  EXPECT_EQ(events.kind, "done");
  EXPECT_GE(wakes, 1);
  EXPECT_EQ(events.thread, GetCurrentThreadId());
  DeleteFileW(WideText(cabinet).c_str());
  DestroyWindow(window);
}

}  // namespace
