#include "storage/osfile.h"

#include "logging/logging.h"
#include "storage/datafiles.h"
#include "storage/filecalls.h"
#include "texts/texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QThread>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <sys/stat.h>
#endif

namespace velmora {

QString lastError() {
#ifdef _WIN32
    return qt_error_string(int(GetLastError()));
#else
    return qt_error_string(errno);
#endif
}

namespace {

[[noreturn]] void fail(const QString& text, const QString& name, const QString& reason) {
    throw Failure(text.arg(name, reason));
}

const QString& openFault(OsFile::Access access) {
    return access == OsFile::Access::Read  ? texts::kCannotRead
           : access == OsFile::Access::New ? texts::kCannotCreate
                                           : texts::kCannotOpen;
}

bool mayBeMissing(OsFile::Access access) {
    return access == OsFile::Access::Read || access == OsFile::Access::Write;
}

} // namespace

std::shared_ptr<const FileCalls> systemFileCalls() { return std::make_shared<const FileCalls>(); }

void replaceWhole(const QString& path, const QString& name, const QByteArray& bytes,
                  const QString& prefix, std::shared_ptr<const FileCalls> calls) {
    if (!calls) calls = systemFileCalls();
    const QDir folder = QFileInfo(path).dir();
    QString temp;
    std::optional<OsFile> file;
    for (int tries = 0; !file; ++tries) {
        temp =
            folder.filePath(prefix + QString::number(QRandomGenerator::global()->generate64(), 36));
        try {
            if (auto made = OsFile::open(temp, name, OsFile::Access::New, calls))
                file.emplace(std::move(*made));
        } catch (const Failure&) {
            if (tries >= 5) throw;
        }
    }
    try {
        file->writeWhole(bytes);
        file.reset();
        // As a save in place would: a file made read-only for others stays so.
        if (const QFileInfo old(path); old.exists()) QFile::setPermissions(temp, old.permissions());
        if (!moveOver(*calls, temp, path))
            throw Failure(texts::kCannotWrite.arg(name, lastError()));
    } catch (...) {
        file.reset();
        QFile::remove(temp);
        throw;
    }
}

void OsFile::fail(const QString& text) const { velmora::fail(text, name_, lastError()); }

QByteArray OsFile::readAt(qint64 offset, qint64 n) const {
    QByteArray bytes(n, Qt::Uninitialized);
    readAt(offset, n, bytes.data());
    return bytes;
}

// Once, when the wait starts: on a shared folder this tells why an append took longer.
void OsFile::logWaiting() const {
    qCInfo(lcFiles).noquote() << name_ << "is being appended to elsewhere; waiting";
}

#ifdef _WIN32

std::optional<OsFile> OsFile::open(const QString& path, const QString& name, Access access,
                                   std::shared_ptr<const FileCalls> calls) {
    const QString native = QDir::toNativeSeparators(path);
    if (!calls) calls = systemFileCalls();
    const bool writes =
        access == Access::Append || access == Access::Write || access == Access::New;
    const DWORD rights = writes ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    const DWORD how = mayBeMissing(access)    ? OPEN_EXISTING
                      : access == Access::New ? CREATE_NEW
                                              : OPEN_ALWAYS;
    const auto create = [&](DWORD flags) {
        return calls->createFileW(reinterpret_cast<const wchar_t*>(native.utf16()), rights,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  how, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
    };
    // The link itself, not its target: a link is refused, never written through.
    HANDLE handle = create(FILE_FLAG_OPEN_REPARSE_POINT);
    FILE_ATTRIBUTE_TAG_INFO tag{};
    if (handle != INVALID_HANDLE_VALUE &&
        GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag) &&
        (tag.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        CloseHandle(handle);
        if (tag.ReparseTag == IO_REPARSE_TAG_SYMLINK ||
            tag.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT)
            velmora::fail(openFault(access), name, texts::kNotRegularFile);
        handle = create(0); // another kind, such as a cloud file's placeholder, is its content
    }
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (mayBeMissing(access) &&
            (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
            return std::nullopt;
        velmora::fail(openFault(access), name, qt_error_string(int(error)));
    }
    OsFile file(handle, name, std::move(calls));
    if (GetFileType(handle) != FILE_TYPE_DISK)
        velmora::fail(openFault(access), name, texts::kNotRegularFile);
    return file;
}

OsFile::OsFile(OsFile&& other) noexcept
    : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)), name_(other.name_),
      calls_(other.calls_), locked_(std::exchange(other.locked_, false)),
      lockHandle_(std::exchange(other.lockHandle_, nullptr)) {}

namespace {

// Windows byte-range locks keep other processes from reading the range, so the writers
// agree on one byte far beyond any data file's end: readers are never held up.
OVERLAPPED lockedByte() {
    OVERLAPPED where{};
    where.OffsetHigh = 0x7fffffff;
    return where;
}

} // namespace

OsFile::~OsFile() {
    if (handle_ == INVALID_HANDLE_VALUE) return;
    if (locked_) {
        OVERLAPPED where = lockedByte();
        calls_->unlockFileEx(lockHandle_, 0, 1, 0, &where);
    }
    if (lockHandle_ != nullptr) calls_->closeHandle(lockHandle_);
    calls_->closeHandle(handle_);
}

qint64 OsFile::size() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) fail(texts::kCannotRead);
    return size.QuadPart;
}

qint64 OsFile::modified() const {
    FILETIME written;
    if (!GetFileTime(handle_, nullptr, nullptr, &written)) fail(texts::kCannotRead);
    return qint64(written.dwHighDateTime) << 32 | written.dwLowDateTime;
}

void OsFile::readAt(qint64 offset, qint64 n, char* to) const {
    for (qint64 done = 0; done < n;) {
        OVERLAPPED at{};
        at.Offset = DWORD(offset + done);
        at.OffsetHigh = DWORD((offset + done) >> 32);
        DWORD got = 0;
        if (!calls_->readFile(handle_, to + done, DWORD(std::min<qint64>(n - done, 1 << 30)), &got,
                              &at))
            fail(texts::kCannotRead);
        if (got == 0) velmora::fail(texts::kCannotRead, name_, texts::kFileShrank);
        done += got;
    }
}

void OsFile::lockForAppending(std::chrono::milliseconds wait) {
    // A lock that waits in line with a time limit is an overlapped call, which needs a handle
    // of the lock's own on the same file.
    HANDLE lock =
        ReOpenFile(handle_, GENERIC_READ | GENERIC_WRITE,
                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_FLAG_OVERLAPPED);
    if (lock == INVALID_HANDLE_VALUE) fail(texts::kCannotWrite);
    lockHandle_ = lock;
    OVERLAPPED where = lockedByte();
    where.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (where.hEvent == nullptr) fail(texts::kCannotWrite);
    BOOL locked = calls_->lockFileEx(lock, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &where);
    if (!locked && GetLastError() == ERROR_IO_PENDING) {
        logWaiting();
        if (calls_->waitForSingleObject(where.hEvent, DWORD(wait.count())) != WAIT_OBJECT_0)
            CancelIoEx(lock, &where);
        DWORD unused = 0;
        locked = calls_->getOverlappedResult(lock, &where, &unused, TRUE);
    }
    const DWORD error = GetLastError();
    CloseHandle(where.hEvent);
    if (!locked && error == ERROR_OPERATION_ABORTED)
        velmora::fail(texts::kCannotWrite, name_, texts::kFileBusy);
    if (!locked) velmora::fail(texts::kCannotWrite, name_, qt_error_string(int(error)));
    locked_ = true;
}

void OsFile::appendWhole(const QByteArray& bytes, qint64 sizeBefore) {
    LARGE_INTEGER end;
    end.QuadPart = sizeBefore;
    bool written = SetFilePointerEx(handle_, end, nullptr, FILE_BEGIN);
    for (qint64 done = 0; written && done < bytes.size();) {
        DWORD put = 0;
        written = calls_->writeFile(handle_, bytes.constData() + done, DWORD(bytes.size() - done),
                                    &put, nullptr);
        // Nothing written without an error: no room is the one reason a disk file has.
        if (written && put == 0) SetLastError(ERROR_DISK_FULL), written = false;
        done += put;
    }
    if (written && calls_->flushFileBuffers(handle_)) return;
    const QString reason = lastError();
    SetFilePointerEx(handle_, end, nullptr, FILE_BEGIN);
    calls_->setEndOfFile(handle_);
    calls_->flushFileBuffers(handle_);
    velmora::fail(texts::kCannotWrite, name_, reason);
}

void OsFile::writeWhole(const QByteArray& bytes) {
    for (qint64 done = 0; done < bytes.size();) {
        DWORD put = 0;
        if (!calls_->writeFile(handle_, bytes.constData() + done, DWORD(bytes.size() - done), &put,
                               nullptr))
            fail(texts::kCannotWrite);
        if (put == 0) velmora::fail(texts::kCannotWrite, name_, qt_error_string(ERROR_DISK_FULL));
        done += put;
    }
    sync();
}

void OsFile::sync() {
    if (!calls_->flushFileBuffers(handle_)) fail(texts::kCannotWrite);
}

bool moveOver(const FileCalls& calls, const QString& from, const QString& to) {
    const QString source = QDir::toNativeSeparators(from), target = QDir::toNativeSeparators(to);
    return calls.moveFileExW(reinterpret_cast<const wchar_t*>(source.utf16()),
                             reinterpret_cast<const wchar_t*>(target.utf16()),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

#else

std::optional<OsFile> OsFile::open(const QString& path, const QString& name, Access access,
                                   std::shared_ptr<const FileCalls> calls) {
    const QByteArray native = QFile::encodeName(path);
    if (!calls) calls = systemFileCalls();
    const int how = access == Access::Read ? O_RDONLY
                    : access == Access::Create ? O_WRONLY | O_CREAT
                    : access == Access::Write ? O_WRONLY
                    : access == Access::New ? O_WRONLY | O_CREAT | O_EXCL
                                            : O_RDWR | O_APPEND | O_CREAT;
    int fd;
    // A link is refused like a FIFO: written through, it would reach any file its maker chose.
    do fd = calls->open(native.constData(), how | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (mayBeMissing(access) && errno == ENOENT) return std::nullopt;
        if (errno == ELOOP) velmora::fail(openFault(access), name, texts::kNotRegularFile);
        velmora::fail(openFault(access), name, lastError());
    }
    OsFile file(fd, name, std::move(calls));
    struct stat status;
    if (fstat(fd, &status) != 0) file.fail(openFault(access));
    if (!S_ISREG(status.st_mode)) velmora::fail(openFault(access), name, texts::kNotRegularFile);
    return file;
}

OsFile::OsFile(OsFile&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), name_(other.name_), calls_(other.calls_),
      locked_(std::exchange(other.locked_, false)) {}

OsFile::~OsFile() {
    if (handle_ >= 0) calls_->close(handle_); // closing also gives up the lock
}

qint64 OsFile::size() const {
    struct stat status;
    if (fstat(handle_, &status) != 0) fail(texts::kCannotRead);
    return status.st_size;
}

qint64 OsFile::modified() const {
    struct stat status;
    if (fstat(handle_, &status) != 0) fail(texts::kCannotRead);
    return qint64(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec;
}

void OsFile::readAt(qint64 offset, qint64 n, char* to) const {
    for (qint64 done = 0; done < n;) {
        const ssize_t got = calls_->pread(handle_, to + done, size_t(n - done), offset + done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail(texts::kCannotRead);
        if (got == 0) velmora::fail(texts::kCannotRead, name_, texts::kFileShrank);
        done += got;
    }
}

namespace {

void interrupt(int) {}

// SIGALRM to the calling thread when `wait` has passed and every 10 ms after, until it is
// gone: a blocking call in the thread then returns EINTR, even one that began just too late.
class ThreadAlarm {
public:
    ThreadAlarm(const FileCalls& calls, std::chrono::nanoseconds wait) : calls_(calls) {
        using namespace std::chrono_literals;
        static const bool handled = [] {
            struct sigaction action {};
            action.sa_handler = interrupt; // without SA_RESTART
            sigemptyset(&action.sa_mask);
            return sigaction(SIGALRM, &action, nullptr) == 0;
        }();
        sigevent event{};
        event.sigev_notify = SIGEV_THREAD_ID;
        event.sigev_signo = SIGALRM;
        event._sigev_un._tid = gettid(); // sigev_notify_thread_id, a name older glibc lacks
        armed_ = handled && calls_.timerCreate(CLOCK_MONOTONIC, &event, &timer_) == 0;
        wait = std::max<std::chrono::nanoseconds>(wait, 1ns); // zero would disarm it
        const itimerspec when{{0, 10'000'000}, {time_t(wait / 1s), long((wait % 1s).count())}};
        if (armed_ && calls_.timerSettime(timer_, 0, &when, nullptr) != 0)
            calls_.timerDelete(timer_), armed_ = false;
    }
    ~ThreadAlarm() {
        if (armed_) calls_.timerDelete(timer_);
    }
    ThreadAlarm(const ThreadAlarm&) = delete;
    ThreadAlarm& operator=(const ThreadAlarm&) = delete;
    bool armed() const { return armed_; }

private:
    const FileCalls& calls_;
    timer_t timer_{};
    bool armed_ = false;
};

} // namespace

void OsFile::lockForAppending(std::chrono::milliseconds wait) {
    const auto deadline = calls_->now() + wait;
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET; // from 0 to the end, however far it grows
    // Busy at the first try: waiting in line (F_SETLKW), so that a writer appending without
    // pause cannot take the lock again and again ahead of this one.
    std::optional<ThreadAlarm> alarm;
    for (int how = F_SETLK; calls_->lock(handle_, how, &whole) != 0;) {
        if (errno != EINTR && errno != EACCES && errno != EAGAIN) fail(texts::kCannotWrite);
        if (calls_->now() >= deadline) velmora::fail(texts::kCannotWrite, name_, texts::kFileBusy);
        if (!alarm) {
            logWaiting();
            alarm.emplace(*calls_, deadline - calls_->now());
            if (alarm->armed()) how = F_SETLKW;
        }
        if (how == F_SETLK) QThread::msleep(20); // no timer to end a wait: tried again and again
    }
    locked_ = true;
}

void OsFile::appendWhole(const QByteArray& bytes, qint64 sizeBefore) {
    int error = 0;
    for (qint64 done = 0; done < bytes.size();) {
        errno = 0;
        const ssize_t put =
            calls_->write(handle_, bytes.constData() + done, size_t(bytes.size() - done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            error = errno ? errno : EIO;
            break;
        }
        done += put;
    }
    if (!error && calls_->fsync(handle_) != 0) error = errno;
    if (!error) return;
    if (calls_->ftruncate(handle_, sizeBefore) == 0) calls_->fsync(handle_);
    velmora::fail(texts::kCannotWrite, name_, qt_error_string(error));
}

void OsFile::writeWhole(const QByteArray& bytes) {
    for (qint64 done = 0; done < bytes.size();) {
        errno = 0;
        const ssize_t put =
            calls_->write(handle_, bytes.constData() + done, size_t(bytes.size() - done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0)
            velmora::fail(texts::kCannotWrite, name_, qt_error_string(errno ? errno : EIO));
        done += put;
    }
    sync();
}

void OsFile::sync() {
    if (calls_->fsync(handle_) != 0) fail(texts::kCannotWrite);
}

bool moveOver(const FileCalls& calls, const QString& from, const QString& to) {
    return calls.rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) ==
           0;
}

#endif

} // namespace velmora
