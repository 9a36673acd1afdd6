#include "test_pause.h"

TestPauseHook g_test_pause_hook = nullptr;
