// The Win32 side of the host question, with the one seam a test program needs.
#pragma once
#include <windows.h>

#include "system/HostArchitecture.h"

using IsWow64Process2Function = BOOL(WINAPI*)(HANDLE process, USHORT* processMachine, USHORT* nativeMachine);

// Null in the program: kernel32's IsWow64Process2 is looked up at each call. The Wine tests
// set it to answer as an ARM64 system would, to lead the 64-bit build down that branch.
extern IsWow64Process2Function g_isWow64Process2ForTests;
