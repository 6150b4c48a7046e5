// What only Windows has: the power-off's Win32 calls, recorded in place of made (never the real
// ExitWindowsEx), and the byte-range lock between writers of a data file.

#include "attendance/recordfile.h"
#include "common/osfile.h"
#include "common/texts.h"
#include "shutdown/systemshutdown.h"
#include "shutdown/win32calls.h"

#include <gmock/gmock.h>

#include <QStringList>
#include <QTemporaryDir>

namespace {

QStringList calls;

template <class... A> BOOL note(const char* call, A... arguments) {
    calls << (QString::fromLatin1(call) + ... + (u' ' + QString::number(qint64(arguments))));
    return TRUE;
}
HANDLE WINAPI process() { return note("GetCurrentProcess"), HANDLE(-1); }
BOOL WINAPI openToken(HANDLE self, DWORD access, PHANDLE token) {
    return *token = HANDLE(40), note("OpenProcessToken", self, access);
}
BOOL WINAPI lookUp(LPCSTR system, LPCSTR name, PLUID luid) {
    return *luid = {19, 7}, note(name, system);
}
BOOL WINAPI adjust(HANDLE token, BOOL all, PTOKEN_PRIVILEGES state, DWORD size,
                   PTOKEN_PRIVILEGES previous, PDWORD length) {
    const LUID_AND_ATTRIBUTES& p = state->Privileges[0];
    return note("AdjustTokenPrivileges", token, all, state->PrivilegeCount, p.Luid.HighPart,
                p.Luid.LowPart, p.Attributes, size, previous && length);
}
BOOL WINAPI exitWindows(UINT flags, DWORD reason) {
    return note("ExitWindowsEx", flags, reason), FALSE;
}
BOOL WINAPI closeToken(HANDLE handle) { return note("CloseHandle", handle); }

} // namespace

TEST(Win32Shutdown, EnablesTheRightThenAsksForAnOrdinaryShutdown) {
    velmora::Win32Shutdown({process, openToken, lookUp, adjust, exitWindows, closeToken})
        .requestPowerOff();
    // 40 = 0x28: TOKEN_ADJUST_PRIVILEGES and TOKEN_QUERY; the LUID 7:19, SE_PRIVILEGE_ENABLED,
    // 16 bytes; EWX_SHUTDOWN alone.
    EXPECT_EQ(calls.join(u'\n').toStdString(),
              "GetCurrentProcess\nOpenProcessToken -1 40\nSeShutdownPrivilege 0\n"
              "AdjustTokenPrivileges 40 0 1 7 19 2 16 1\nExitWindowsEx 1 0\nCloseHandle 40");
}

// Another writer holds the record file (another handle: Windows' locks are per handle): an
// append waits, then gives up naming the file busy, and writes nothing. (Wine does not keep
// readers out of a locked range as Windows does, so the lock's place beyond the data cannot be
// checked here.)
TEST(Win32Files, AWriterWaitsForAnotherThenGivesUp) {
    using namespace velmora;
    QTemporaryDir dir;
    const DataFolder files(QDir(dir.path()));
    appendRecord(files, {"A", "07/01", "8:05", kArrival});
    auto other = OsFile::open(files.path(kRecordFile), kRecordFile, OsFile::Access::Append);
    other->lockForAppending(std::chrono::seconds(1));
    EXPECT_THAT(
        [&] {
            appendRecord(files, {"A", "07/01", "17:10", kLeaving});
        },
        testing::ThrowsMessage<Failure>(testing::EndsWith(texts::kFileBusy.toStdString())));
    EXPECT_EQ(findLastRecord(files, "A").time, "8:05");
}
