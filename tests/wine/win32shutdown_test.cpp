// The power-off's Win32 calls recorded in place of made, never the real ExitWindowsEx: the
// shutdown right first, then an ordinary shutdown, also when every step before it fails.

#include "shutdown/systemshutdown.h"
#include "shutdown/win32calls.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

QStringList calls;
bool failing = false;

HANDLE WINAPI currentProcess() { return calls << "GetCurrentProcess", HANDLE(-1); }
BOOL WINAPI openToken(HANDLE process, DWORD access, PHANDLE token) {
    calls << QString::asprintf("OpenProcessToken %lld %#lx", qint64(process), access);
    *token = failing ? nullptr : HANDLE(40);
    return !failing;
}
BOOL WINAPI lookUp(LPCSTR system, LPCSTR name, PLUID luid) {
    calls << QString::asprintf("LookupPrivilegeValueA %s %s", system ? system : "local", name);
    if (!failing) *luid = {0x13, 0x7};
    return !failing;
}
BOOL WINAPI adjust(HANDLE token, BOOL all, PTOKEN_PRIVILEGES state, DWORD size,
                   PTOKEN_PRIVILEGES previous, PDWORD returned) {
    const LUID_AND_ATTRIBUTES& p = state->Privileges[0];
    calls << QString::asprintf("AdjustTokenPrivileges %lld %d %lu %lx:%lx %lu %lu %d",
                               qint64(token), all, state->PrivilegeCount, p.Luid.HighPart,
                               p.Luid.LowPart, p.Attributes, size, previous && returned);
    return !failing;
}
BOOL WINAPI exitWindows(UINT flags, DWORD reason) {
    return calls << QString::asprintf("ExitWindowsEx %u %lu", flags, reason), FALSE;
}
BOOL WINAPI closeHandle(HANDLE h) {
    return calls << QString::asprintf("CloseHandle %lld", qint64(h)), TRUE;
}

} // namespace

TEST(Win32Shutdown, EnablesTheRightThenAsksForAnOrdinaryShutdown) {
    const velmora::Win32ShutdownCalls recorded{currentProcess, openToken,   lookUp,
                                               adjust,         exitWindows, closeHandle};
    for (bool fails : {false, true}) {
        calls.clear(), failing = fails;
        velmora::Win32Shutdown(recorded).requestPowerOff();
        const std::string token = fails ? "0 0 1 0:0" : "40 0 1 7:13";
        EXPECT_EQ(calls.join('\n').toStdString(),
                  "GetCurrentProcess\nOpenProcessToken -1 0x28\n"
                  "LookupPrivilegeValueA local SeShutdownPrivilege\nAdjustTokenPrivileges " +
                      token + " 2 16 1\nExitWindowsEx 1 0" + (fails ? "" : "\nCloseHandle 40"));
    }
}
