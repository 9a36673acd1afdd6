/* Forced into every C and C++ file of the Windows build (cmake/SystemDlls.cmake).
   Windows' headers declare system functions dllimport, so calls go through the import
   address slot ("__imp_" symbols) directly. For a delay-loaded DLL, GNU ld then leaves
   out the stub that loads the DLL, and the slot stays zero: the first call jumps to
   address 0. Declared plainly, calls go to the stub of the import library (a jump through
   the same slot for an ordinary import library), which works for both kinds. */
#define DECLSPEC_IMPORT __attribute__((visibility("hidden")))
