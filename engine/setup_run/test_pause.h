// Places where a test build can hold a run still: between a check and the use of what was
// checked, so that a test can try to change what was checked there, deterministically.
// The shipped programs never set the hook, and the call does nothing; the test builds of
// the programs link an object that sets it (tests/harness/pause_hook_win32.cpp).
#pragma once

using TestPauseHook = void (*)(const char* point);

extern TestPauseHook g_test_pause_hook;

inline void TestPause(const char* point) {
  if (g_test_pause_hook) g_test_pause_hook(point);
}
