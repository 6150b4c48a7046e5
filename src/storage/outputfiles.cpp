#include "storage/outputfiles.h"

#include "storage/datafiles.h"
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
#include <unistd.h>
#endif

namespace velmora {

namespace {

// Puts the written file's data on the disk: a full disk or a share gone shows here at the
// latest. Empty, or the system's reason.
QString sync(const QString& path) {
#ifdef _WIN32
    HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()),
                    GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    const bool synced = handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
    const QString reason = synced ? QString() : qt_error_string(int(GetLastError()));
    if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
#else
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    const bool synced = fd >= 0 && fsync(fd) == 0;
    const QString reason = synced ? QString() : qt_error_string(errno);
    if (fd >= 0) ::close(fd);
#endif
    return reason;
}

} // namespace

bool replaceFile(const QString& from, const QString& to) {
#ifdef _WIN32
    return MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(to).utf16()),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
#else
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

OutputFiles::OutputFiles(const QDir& folder)
    : folder_(folder), writing_(folder.filePath(QStringLiteral(".velmora-XXXXXX"))) {
    if (!writing_.isValid())
        throw Failure(texts::kCannotCreate.arg(folder.path(), writing_.errorString()));
}

QString OutputFiles::writingPath(const QString& name) const { return writing_.filePath(name); }

void OutputFiles::write(const QString& name, const QByteArray& bytes) {
    const QString path = folder_.filePath(name);
    QFile file(writingPath(name));
    // NewOnly: created here and now, never an existing file or a link.
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        throw Failure(texts::kCannotCreate.arg(path, file.errorString()));
    // A write cut short says why only when it is tried again.
    for (qint64 done = 0; done < bytes.size();) {
        const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) throw Failure(texts::kCannotWrite.arg(path, file.errorString()));
        done += n;
    }
    file.close();
    add(name);
}

void OutputFiles::add(const QString& name) {
    const QString path = folder_.filePath(name);
    if (const QString reason = sync(writingPath(name)); !reason.isEmpty())
        throw Failure(texts::kCannotWrite.arg(path, reason));
    if (QFileInfo(writingPath(name)).size() == 0)
        throw Failure(texts::kCannotWrite.arg(path, texts::kNothingWritten));
    names_ << name;
}

QStringList OutputFiles::commit() {
    QStringList paths;
    for (const QString& name : names_) {
        paths << folder_.filePath(name);
        if (!replaceFile(writingPath(name), paths.back()))
            throw Failure(texts::kCannotWrite.arg(paths.back(), lastError()));
    }
    return paths;
}

} // namespace velmora
