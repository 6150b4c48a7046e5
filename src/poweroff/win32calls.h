#pragma once
// The Win32 functions the power-off calls, in one table, so that a test can record the calls
// in place of making them. Windows only.

#include <windows.h>

namespace velmora {

struct Win32ShutdownCalls {
    decltype(&GetCurrentProcess) getCurrentProcess = GetCurrentProcess;
    decltype(&OpenProcessToken) openProcessToken = OpenProcessToken;
    decltype(&LookupPrivilegeValueA) lookupPrivilegeValue = LookupPrivilegeValueA;
    decltype(&AdjustTokenPrivileges) adjustTokenPrivileges = AdjustTokenPrivileges;
    decltype(&ExitWindowsEx) exitWindowsEx = ExitWindowsEx;
    decltype(&CloseHandle) closeHandle = CloseHandle;
};

} // namespace velmora
