#pragma once
// The calls that open, read, write, sync, lock and rename a data file or an output, in one
// table, so that a test can have the disk fill up, a read or flush fail, a rename fail, another
// program hold a file open or another writer hold the lock, in place of a disk doing so. Each
// member is the system's own call unless a test replaces it.

#include <chrono>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace velmora {

#ifdef _WIN32

struct FileCalls {
    decltype(&CreateFileW) createFileW = CreateFileW;
    decltype(&ReadFile) readFile = ReadFile;
    decltype(&WriteFile) writeFile = WriteFile;
    decltype(&FlushFileBuffers) flushFileBuffers = FlushFileBuffers;
    decltype(&SetEndOfFile) setEndOfFile = SetEndOfFile;
    decltype(&LockFileEx) lockFileEx = LockFileEx;
    // The end of a wait for the lock, and its outcome.
    decltype(&WaitForSingleObject) waitForSingleObject = WaitForSingleObject;
    decltype(&GetOverlappedResult) getOverlappedResult = GetOverlappedResult;
    decltype(&UnlockFileEx) unlockFileEx = UnlockFileEx;
    decltype(&CloseHandle) closeHandle = CloseHandle;
    // A file replaced whole, and the report's files moved aside, in and back.
    decltype(&MoveFileExW) moveFileExW = MoveFileExW;
};

#else

// fcntl and open take their arguments through "...", which no double could share.
inline int lockRange(int fd, int how, struct flock* range) { return ::fcntl(fd, how, range); }
inline int openFile(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }

struct FileCalls {
    // Spelt out, not decltype: glibc marks some noexcept, which a double need not be.
    int (*open)(const char* path, int flags, mode_t mode) = openFile;
    ssize_t (*pread)(int fd, void* to, size_t n, off_t offset) = ::pread;
    ssize_t (*write)(int fd, const void* bytes, size_t n) = ::write;
    int (*fsync)(int fd) = ::fsync; // a file's or a folder's
    int (*ftruncate)(int fd, off_t size) = ::ftruncate;
    int (*lock)(int fd, int how, struct flock* range) = lockRange; // F_SETLK or F_SETLKW
    // The time a wait for the lock is measured by, and the timer that ends it.
    std::chrono::steady_clock::time_point (*now)() = [] {
        return std::chrono::steady_clock::now();
    };
    int (*timerCreate)(clockid_t clock, sigevent* event, timer_t* timer) = ::timer_create;
    int (*timerSettime)(timer_t timer, int flags, const itimerspec* when,
                        itimerspec* old) = ::timer_settime;
    int (*timerDelete)(timer_t timer) = ::timer_delete;
    int (*close)(int fd) = ::close; // which also gives up the lock
    // A file replaced whole, and the report's files moved aside, in and back.
    int (*rename)(const char* from, const char* to) = ::rename;
};

#endif

} // namespace velmora
