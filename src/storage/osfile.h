#pragma once
// A data file as the system sees it. Every data file is opened without blocking, since a
// FIFO put in its place would hang the open before any window shows, and only a regular
// file is accepted: a device or a directory would be read without end or not at all, and a
// symbolic link is not followed.
// Faults throw a Failure naming the file.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>

namespace velmora {

struct FileCalls;

// The system's own file calls (storage/filecalls.h), for a file or folder given none.
std::shared_ptr<const FileCalls> systemFileCalls();

// The system's text for the last failed call: errno's, or on Windows GetLastError()'s.
QString lastError();

class OsFile {
public:
    enum class Access {
        Read,   // an existing file
        Create, // made empty when missing, otherwise left as it is
        Append, // made when missing; written only at its end
        Write,  // an existing file, to be written over or synced
        New,    // made here and now: never an existing file or a link
    };
    // nullopt when a file to be read or written does not exist. Every call on the file goes
    // through `calls`, the system's own when none are given.
    static std::optional<OsFile> open(const QString& path, const QString& name, Access access,
                                      std::shared_ptr<const FileCalls> calls = nullptr);

    OsFile(OsFile&& other) noexcept;
    OsFile& operator=(OsFile&&) = delete;
    ~OsFile();

    qint64 size() const;
    // The time of the last change, in a unit of the system's own.
    qint64 modified() const;
    // Exactly `n` bytes from `offset`.
    QByteArray readAt(qint64 offset, qint64 n) const;
    // The same into `to`, which holds `n` bytes.
    void readAt(qint64 offset, qint64 n, char* to) const;
    // Several PCs may append to one shared file: only the holder of this lock writes, and
    // it holds it across its reading of the file's end, its write and any take-back. Waits
    // up to `wait` for another writer to finish.
    void lockForAppending(std::chrono::milliseconds wait);
    // Writes `bytes` at the end and puts them on the disk. A write that does not complete
    // (a full disk takes part of it) is taken back to `sizeBefore`, so that no half line
    // is ever left to be read as a record.
    void appendWhole(const QByteArray& bytes, qint64 sizeBefore);
    // Writes `bytes` from where the file stands and puts them on the disk.
    void writeWhole(const QByteArray& bytes);
    // Puts what was written on the disk.
    void sync();

private:
#ifdef _WIN32
    using Handle = void*;
#else
    using Handle = int;
#endif
    OsFile(Handle handle, QString name, std::shared_ptr<const FileCalls> calls)
        : handle_(handle), name_(std::move(name)), calls_(std::move(calls)) {}
    [[noreturn]] void fail(const QString& text) const;
    void logWaiting() const;

    Handle handle_;
    QString name_;
    std::shared_ptr<const FileCalls> calls_;
    bool locked_ = false;
#ifdef _WIN32
    Handle lockHandle_ = nullptr; // the lock's own, for a wait with a time limit
#endif
};

// Moves `from` over `to` in one step, replacing a file (or a link) at `to`.
bool moveOver(const FileCalls& calls, const QString& from, const QString& to);

// Replaces the file at `path` by `bytes`, whole or not at all: written under a unique new name
// beginning with `prefix` beside it, put on the disk, then moved over it. On a fault the old file
// stays and the new one is removed. Faults name the file as `name`.
void replaceWhole(const QString& path, const QString& name, const QByteArray& bytes,
                  const QString& prefix, std::shared_ptr<const FileCalls> calls = nullptr);

} // namespace velmora
