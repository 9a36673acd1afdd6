// The control tests run in one OLE apartment with the control registered for the whole
// run (through regsvr32, as an installer would) and unregistered at its end.
#include <gtest/gtest.h>

#include "control_test_environment_win32.h"
#include "control_test_support_win32.h"

namespace {

bool g_registered = false;
bool g_host_ready = false;
AtlHost g_atl;

class ControlEnvironment final : public ::testing::Environment {
 public:
  void SetUp() override {
    OleInitialize(nullptr);
    g_registered = RunRegsvr32(false) == 0;
    // The host window class of the system's atl.dll; it can be made once per process.
    g_host_ready = g_atl.Load() && g_atl.AtlAxWinInit() != FALSE;
  }
  void TearDown() override {
    RunRegsvr32(true);
    OleUninitialize();
  }
};

[[maybe_unused]] ::testing::Environment* const g_environment =
    ::testing::AddGlobalTestEnvironment(new ControlEnvironment);

}  // namespace

bool ControlRegistered() { return g_registered; }
bool ControlHostReady() { return g_host_ready; }
const AtlHost& ControlHost() { return g_atl; }
