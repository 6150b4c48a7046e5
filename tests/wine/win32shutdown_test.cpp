// The power-off's Win32 calls recorded in place of made, never the real ExitWindowsEx: the
// shutdown right enabled first, then an ordinary shutdown asked for, each step taken although
// every one of them is refused.

#include "poweroff/systemshutdown.h"
#include "poweroff/win32calls.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

QStringList calls;

template <class... A> BOOL note(const char* call, A... arguments) {
    calls << (QString::fromLatin1(call) + ... + (u' ' + QString::number(qint64(arguments))));
    return FALSE;
}
BOOL WINAPI openToken(HANDLE self, DWORD access, PHANDLE token) {
    return *token = HANDLE(40), note("OpenProcessToken", self, access);
}
BOOL WINAPI lookUp(LPCSTR at, LPCSTR name, PLUID luid) { return *luid = {19, 7}, note(name, at); }
BOOL WINAPI adjust(HANDLE token, BOOL all, PTOKEN_PRIVILEGES state, DWORD size,
                   PTOKEN_PRIVILEGES previous, PDWORD length) {
    const LUID_AND_ATTRIBUTES& p = state->Privileges[0];
    return note("AdjustTokenPrivileges", token, all, state->PrivilegeCount, p.Luid.HighPart,
                p.Luid.LowPart, p.Attributes, size, previous && length);
}
BOOL WINAPI shutDown(UINT flags, DWORD reason) { return note("ExitWindowsEx", flags, reason); }
BOOL WINAPI close(HANDLE handle) { return note("CloseHandle", handle); }

} // namespace

TEST(Win32Shutdown, EnablesTheRightThenAsksForAnOrdinaryShutdown) {
    // The process's own pseudo-handle -1 from the real GetCurrentProcess, which changes nothing.
    velmora::Win32Shutdown({GetCurrentProcess, openToken, lookUp, adjust, shutDown, close})
        .requestPowerOff();
    // 40 = 0x28: TOKEN_ADJUST_PRIVILEGES and TOKEN_QUERY; the LUID 7:19, SE_PRIVILEGE_ENABLED,
    // 16 bytes; EWX_SHUTDOWN alone.
    EXPECT_EQ(calls.join(u'\n').toStdString(),
              "OpenProcessToken -1 40\nSeShutdownPrivilege 0\n"
              "AdjustTokenPrivileges 40 0 1 7 19 2 16 1\nExitWindowsEx 1 0\nCloseHandle 40");
}
