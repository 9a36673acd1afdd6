#pragma once

#include "atl_host.h"

// True when regsvr32 registered the control for this test run.
bool ControlRegistered();

// True when the system's atl.dll made its host window class.
bool ControlHostReady();

// The system's atl.dll, loaded by the environment.
const AtlHost& ControlHost();
