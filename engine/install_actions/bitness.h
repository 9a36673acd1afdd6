// Bitness of components and of the Windows they are installed on.
//
// The engine is a 32-bit program. On 64-bit Windows the system shows it the 32-bit views:
// C:\Windows\System32 is redirected to the 32-bit system directory (SysWOW64), the
// registry to its 32-bit view (Wow6432Node), "ProgramFilesDir" is "Program Files (x86)".
// A 32-bit component is installed through those views, exactly as on 32-bit Windows.
// A 64-bit component must go where 64-bit programs look: the 64-bit system directory,
// which a 32-bit process reaches as <Windows>\Sysnative, and the 64-bit registry view;
// it is registered by a process of its own bitness (the 64-bit regsvr32).
//
// A component's bitness is the machine type in its PE header: the "MZ" header gives at
// offset 0x3C the offset of the "PE\0\0" signature, which is followed by the 16-bit
// machine field (0x014C for i386, 0x8664 for x86-64).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

enum class Bitness { k32, k64 };

// "32-bit" or "64-bit".
const char* BitnessName(Bitness bitness);

// The bitness of the PE image that starts with `head` (its first bytes; the header must
// lie within them); nothing when `head` is not a PE image of a known machine.
std::optional<Bitness> PeImageBitness(std::string_view head);

// How many bytes of a file PeImageBitness needs at most.
constexpr std::size_t kPeHeadBytes = 4096;

// ---- Windows (bitness_win32.cpp) ----

// The bitness this program was built for.
constexpr Bitness EngineBitness() { return sizeof(void*) == 8 ? Bitness::k64 : Bitness::k32; }

// True on 64-bit Windows (a 32-bit engine runs there under WoW64).
bool WindowsIs64Bit();

// The bitness of the component file at `path`; nothing when it is not a PE image of a
// known machine (it is then treated as one of the engine's own bitness).
std::optional<Bitness> FileBitness(const std::string& path);

// The system directory for components of `bitness`, as this process reaches it (no
// trailing backslash): the engine's own system directory, or, for the other bitness on
// 64-bit Windows, <Windows>\Sysnative (from a 32-bit engine) or the SysWOW64 directory
// (from a 64-bit one). Empty when it cannot be found.
std::string SystemDirectoryFor(Bitness bitness);

// The registry view flag for keys of components of `bitness` (KEY_WOW64_32KEY or
// KEY_WOW64_64KEY on 64-bit Windows; none on 32-bit Windows, which knows only one view).
unsigned long RegistryViewFor(Bitness bitness);

// A path that a process of `bitness` wrote (a registered server path, say), as this
// process reaches the same file: from a 32-bit engine on 64-bit Windows a 64-bit
// process's <System32> path becomes <Windows>\Sysnative.
std::string ReachablePath(const std::string& path, Bitness bitness);

// The path that names the file at `path` (as this process reaches it) with no
// redirection: what a process of the other bitness and the boot-time file mover see. In
// a 32-bit process on 64-bit Windows, <System32>\X becomes <SysWOW64>\X and
// <Windows>\Sysnative\X becomes <System32>\X; elsewhere the path is unchanged.
std::string UnredirectedPath(const std::string& path);

// Runs the system's regsvr32 of `bitness` silently on `path` (as this process reaches
// it) and waits for it; true when it ran and reported success.
bool RegisterWithSystemTool(const std::string& path, Bitness bitness);

// Turns the file-system redirection of a 32-bit process on 64-bit Windows off for the
// calling thread while it lives, so <System32> and <SysWOW64> paths name what they say.
// Nothing is loaded while it is off.
class FileSystemRedirectionOff {
 public:
  FileSystemRedirectionOff();
  ~FileSystemRedirectionOff();
  FileSystemRedirectionOff(const FileSystemRedirectionOff&) = delete;
  FileSystemRedirectionOff& operator=(const FileSystemRedirectionOff&) = delete;

 private:
  void* old_value_ = nullptr;
  bool off_ = false;
};
