#include "storage/outputfiles.h"

#include "storage/datafiles.h"
#include "storage/filecalls.h"
#include "storage/osfile.h"
#include "texts/texts.h"

#include <QFile>
#include <QFileInfo>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velmora {

const QString OutputFiles::kLockName = QStringLiteral(".velmora-report.lock");

namespace {

#ifdef _WIN32
const wchar_t* native(const QString& path) {
    return reinterpret_cast<const wchar_t*>(path.utf16());
}
#endif

// The old file of `name` while the new one moves in: in this run's folder, whose removal
// then takes it away.
QString asideName(const QString& name) { return name + QStringLiteral(".old"); }

} // namespace

OutputFiles::OutputFiles(const QDir& folder, std::shared_ptr<const FileCalls> calls,
                         std::chrono::milliseconds wait)
    : folder_(folder), calls_(calls ? std::move(calls) : systemFileCalls()), wait_(wait),
      writing_(folder.filePath(QStringLiteral(".velmora-XXXXXX"))) {
    if (!writing_.isValid())
        throw Failure(texts::kCannotCreate.arg(folder.path(), writing_.errorString()));
}

QString OutputFiles::writingPath(const QString& name) const { return writing_.filePath(name); }

void OutputFiles::write(const QString& name, const QByteArray& bytes) {
    OsFile::open(writingPath(name), folder_.filePath(name), OsFile::Access::New, calls_)
        ->writeWhole(bytes);
    check(name);
}

// Puts the written file's data on the disk before any rename: a full disk or a share gone
// shows here at the latest, and a crash after the rename leaves no empty file in its place.
void OutputFiles::add(const QString& name) {
    const QString path = folder_.filePath(name);
    auto file = OsFile::open(writingPath(name), path, OsFile::Access::Write, calls_);
    if (!file) throw Failure(texts::kCannotWrite.arg(path, texts::kNothingWritten));
    file->sync();
    check(name);
}

void OutputFiles::check(const QString& name) {
    if (QFileInfo(writingPath(name)).size() == 0)
        throw Failure(texts::kCannotWrite.arg(folder_.filePath(name), texts::kNothingWritten));
    names_ << name;
}

// A folder at the name cannot be replaced by a file, and on Windows neither can a file another
// program holds open without sharing its deletion (a PDF in a viewer, a workbook in Excel):
// found before anything moves, so that the set is not left half new.
void OutputFiles::checkReplaceable(const QString& name) const {
    const QString path = folder_.filePath(name);
#ifdef _WIN32
    const DWORD attributes = GetFileAttributesW(native(QDir::toNativeSeparators(path)));
    if (attributes == INVALID_FILE_ATTRIBUTES) return;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        throw Failure(texts::kCannotWrite.arg(path, texts::kIsFolder));
    HANDLE handle =
        calls_->createFileW(native(QDir::toNativeSeparators(path)), DELETE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return (void)calls_->closeHandle(handle);
    if (GetLastError() == ERROR_SHARING_VIOLATION) throw Failure(texts::kFileInUse.arg(name));
#else
    struct stat status;
    if (::lstat(QFile::encodeName(path).constData(), &status) == 0 && S_ISDIR(status.st_mode))
        throw Failure(texts::kCannotWrite.arg(path, texts::kIsFolder));
#endif
}

bool OutputFiles::move(const QString& from, const QString& to) const {
    return moveOver(*calls_, from, to);
}

// The old files back at their names, the new ones that had none gone. An old file that cannot
// be put back is kept in this run's folder, never removed with it.
void OutputFiles::putBack(const QStringList& aside, const QStringList& movedIn) {
    bool whole = true;
    for (const QString& name : movedIn)
        if (!aside.contains(name)) whole &= QFile::remove(folder_.filePath(name));
    for (const QString& name : aside)
        whole &= move(writingPath(asideName(name)), folder_.filePath(name));
    if (!whole) writing_.setAutoRemove(false);
}

QStringList OutputFiles::commit() {
    // One commit into a folder at a time: two runs' files never mix.
    const QString lockPath = folder_.filePath(kLockName);
    std::optional<OsFile> lock = OsFile::open(lockPath, lockPath, OsFile::Access::Append, calls_);
    try {
        lock->lockForAppending(wait_);
    } catch (const Failure& failure) {
        if (!failure.message().endsWith(texts::kFileBusy)) throw;
        throw Failure(texts::kCannotWrite.arg(lockPath, texts::kOutputBusy));
    }
    for (const QString& name : names_) checkReplaceable(name);

    QStringList aside, movedIn;
    const auto fail = [&](const QString& path, const QString& reason) {
        putBack(aside, movedIn);
        QString message = texts::kCannotWrite.arg(path, reason);
        if (!writing_.autoRemove())
            message += QStringLiteral(" (") + texts::kNotPutBack + QStringLiteral(": ") +
                       QDir::toNativeSeparators(writing_.path()) + u')';
        throw Failure(message);
    };
    for (const QString& name : names_) {
        const QString path = folder_.filePath(name);
        if (move(path, writingPath(asideName(name)))) aside << name;
#ifdef _WIN32
        else if (const DWORD e = GetLastError(); e != ERROR_FILE_NOT_FOUND)
#else
        else if (errno != ENOENT)
#endif
            fail(path, lastError());
    }
    QStringList paths;
    for (const QString& name : names_) {
        paths << folder_.filePath(name);
        if (!move(writingPath(name), paths.back())) fail(paths.back(), lastError());
        movedIn << name;
    }
#ifndef _WIN32
    // The renames on the disk (MoveFileEx's write-through does this on Windows).
    const int fd = calls_->open(QFile::encodeName(folder_.path()).constData(),
                                O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
    const bool synced = fd >= 0 && calls_->fsync(fd) == 0;
    const QString reason = synced ? QString() : lastError();
    if (fd >= 0) calls_->close(fd);
    if (!synced) fail(folder_.path(), reason);
#endif
    return paths;
}

} // namespace velmora
