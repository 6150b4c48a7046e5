#include "common/osfile.h"

#include "common/datafiles.h"
#include "common/logging.h"
#include "common/texts.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QThread>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmora {

namespace {

constexpr std::chrono::milliseconds kLockRetry{20};

QString lastError() {
#ifdef _WIN32
    return qt_error_string(int(GetLastError()));
#else
    return qt_error_string(errno);
#endif
}

[[noreturn]] void fail(const QString& text, const QString& name, const QString& reason) {
    throw Failure(text.arg(name, reason));
}

const QString& openFault(OsFile::Access access) {
    return access == OsFile::Access::Read ? texts::kCannotRead : texts::kCannotOpen;
}

} // namespace

void OsFile::fail(const QString& text) const { velmora::fail(text, name_, lastError()); }

// Once, at the first try: on a shared folder this tells why an append took longer.
void OsFile::logWaiting(const QDeadlineTimer& deadline, std::chrono::milliseconds wait) const {
    if (deadline.remainingTimeAsDuration() >= wait - kLockRetry)
        qCInfo(lcFiles).noquote() << name_ << "is being appended to elsewhere; waiting";
}

#ifdef _WIN32

std::optional<OsFile> OsFile::open(const QString& path, const QString& name, Access access) {
    const QString native = QDir::toNativeSeparators(path);
    const DWORD rights = access == Access::Append ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ;
    const DWORD how = access == Access::Read ? OPEN_EXISTING : OPEN_ALWAYS;
    const auto create = [&](DWORD flags) {
        return CreateFileW(reinterpret_cast<const wchar_t*>(native.utf16()), rights,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, how,
                           FILE_ATTRIBUTE_NORMAL | flags, nullptr);
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
        if (access == Access::Read &&
            (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
            return std::nullopt;
        velmora::fail(openFault(access), name, qt_error_string(int(error)));
    }
    OsFile file(handle, name);
    if (GetFileType(handle) != FILE_TYPE_DISK)
        velmora::fail(openFault(access), name, texts::kNotRegularFile);
    return file;
}

OsFile::OsFile(OsFile&& other) noexcept
    : handle_(std::exchange(other.handle_, INVALID_HANDLE_VALUE)), name_(other.name_),
      locked_(std::exchange(other.locked_, false)) {}

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
        UnlockFileEx(handle_, 0, 1, 0, &where);
    }
    CloseHandle(handle_);
}

qint64 OsFile::size() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle_, &size)) fail(texts::kCannotRead);
    return size.QuadPart;
}

QByteArray OsFile::readAt(qint64 offset, qint64 n) const {
    QByteArray bytes(n, Qt::Uninitialized);
    for (qint64 done = 0; done < n;) {
        OVERLAPPED at{};
        at.Offset = DWORD(offset + done);
        at.OffsetHigh = DWORD((offset + done) >> 32);
        DWORD got = 0;
        if (!ReadFile(handle_, bytes.data() + done, DWORD(std::min<qint64>(n - done, 1 << 30)),
                      &got, &at))
            fail(texts::kCannotRead);
        if (got == 0) velmora::fail(texts::kCannotRead, name_, texts::kFileShrank);
        done += got;
    }
    return bytes;
}

void OsFile::lockForAppending(std::chrono::milliseconds wait) {
    const QDeadlineTimer deadline(wait);
    for (;;) {
        OVERLAPPED where = lockedByte();
        if (LockFileEx(handle_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0,
                       &where)) {
            locked_ = true;
            return;
        }
        if (GetLastError() != ERROR_LOCK_VIOLATION) fail(texts::kCannotWrite);
        logWaiting(deadline, wait);
        if (deadline.hasExpired()) velmora::fail(texts::kCannotWrite, name_, texts::kFileBusy);
        QThread::msleep(kLockRetry.count());
    }
}

void OsFile::appendWhole(const QByteArray& bytes, qint64 sizeBefore) {
    LARGE_INTEGER end;
    end.QuadPart = sizeBefore;
    bool written = SetFilePointerEx(handle_, end, nullptr, FILE_BEGIN);
    for (qint64 done = 0; written && done < bytes.size();) {
        DWORD put = 0;
        written =
            WriteFile(handle_, bytes.constData() + done, DWORD(bytes.size() - done), &put, nullptr);
        // Nothing written without an error: no room is the one reason a disk file has.
        if (written && put == 0) SetLastError(ERROR_DISK_FULL), written = false;
        done += put;
    }
    if (written && FlushFileBuffers(handle_)) return;
    const QString reason = lastError();
    SetFilePointerEx(handle_, end, nullptr, FILE_BEGIN);
    SetEndOfFile(handle_);
    FlushFileBuffers(handle_);
    velmora::fail(texts::kCannotWrite, name_, reason);
}

#else

std::optional<OsFile> OsFile::open(const QString& path, const QString& name, Access access) {
    const QByteArray native = QFile::encodeName(path);
    const int how = access == Access::Read ? O_RDONLY
                    : access == Access::Create ? O_WRONLY | O_CREAT
                                               : O_RDWR | O_APPEND | O_CREAT;
    int fd;
    // A link is refused like a FIFO: written through, it would reach any file its maker chose.
    do fd = ::open(native.constData(), how | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW, 0666);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        if (access == Access::Read && errno == ENOENT) return std::nullopt;
        if (errno == ELOOP) velmora::fail(openFault(access), name, texts::kNotRegularFile);
        velmora::fail(openFault(access), name, lastError());
    }
    OsFile file(fd, name);
    struct stat status;
    if (fstat(fd, &status) != 0) file.fail(openFault(access));
    if (!S_ISREG(status.st_mode)) velmora::fail(openFault(access), name, texts::kNotRegularFile);
    return file;
}

OsFile::OsFile(OsFile&& other) noexcept
    : handle_(std::exchange(other.handle_, -1)), name_(other.name_),
      locked_(std::exchange(other.locked_, false)) {}

OsFile::~OsFile() {
    if (handle_ >= 0) ::close(handle_); // closing also gives up the lock
}

qint64 OsFile::size() const {
    struct stat status;
    if (fstat(handle_, &status) != 0) fail(texts::kCannotRead);
    return status.st_size;
}

QByteArray OsFile::readAt(qint64 offset, qint64 n) const {
    QByteArray bytes(n, Qt::Uninitialized);
    for (qint64 done = 0; done < n;) {
        const ssize_t got = pread(handle_, bytes.data() + done, size_t(n - done), offset + done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) fail(texts::kCannotRead);
        if (got == 0) velmora::fail(texts::kCannotRead, name_, texts::kFileShrank);
        done += got;
    }
    return bytes;
}

void OsFile::lockForAppending(std::chrono::milliseconds wait) {
    const QDeadlineTimer deadline(wait);
    struct flock whole {};
    whole.l_type = F_WRLCK;
    whole.l_whence = SEEK_SET; // from 0 to the end, however far it grows
    while (fcntl(handle_, F_SETLK, &whole) != 0) {
        if (errno == EINTR) continue;
        if (errno != EACCES && errno != EAGAIN) fail(texts::kCannotWrite);
        logWaiting(deadline, wait);
        if (deadline.hasExpired()) velmora::fail(texts::kCannotWrite, name_, texts::kFileBusy);
        QThread::msleep(kLockRetry.count());
    }
    locked_ = true;
}

void OsFile::appendWhole(const QByteArray& bytes, qint64 sizeBefore) {
    int error = 0;
    for (qint64 done = 0; done < bytes.size();) {
        errno = 0;
        const ssize_t put = ::write(handle_, bytes.constData() + done, size_t(bytes.size() - done));
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            error = errno ? errno : EIO;
            break;
        }
        done += put;
    }
    if (!error && fsync(handle_) != 0) error = errno;
    if (!error) return;
    if (ftruncate(handle_, sizeBefore) == 0) fsync(handle_);
    velmora::fail(texts::kCannotWrite, name_, qt_error_string(error));
}

#endif

} // namespace velmora
