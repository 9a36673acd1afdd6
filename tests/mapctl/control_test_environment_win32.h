#pragma once

// True when regsvr32 registered the control for this test run.
bool ControlRegistered();

// True when the system's atl.dll made its host window class.
bool ControlHostReady();
