#include "common/outputfiles.h"

#include "common/datafiles.h"
#include "common/texts.h"

#include <QFile>
#include <QFileInfo>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <cerrno>
#include <cstdio>
#include <unistd.h>
#endif

namespace velmora {

namespace {

// The file's data on the disk: a full disk or a share gone shows here at the latest.
bool sync(QFile& file) {
#ifdef _WIN32
    return FlushFileBuffers(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle())));
#else
    return fsync(file.handle()) == 0;
#endif
}

QString lastError() {
#ifdef _WIN32
    return qt_error_string(int(GetLastError()));
#else
    return qt_error_string(errno);
#endif
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
    if (!sync(file)) throw Failure(texts::kCannotWrite.arg(path, lastError()));
    names_ << name;
}

void OutputFiles::add(const QString& name) {
    const QString path = folder_.filePath(name);
    QFile file(writingPath(name));
    if (QFileInfo(file).isSymLink() || !file.open(QIODevice::ReadWrite))
        throw Failure(texts::kCannotWrite.arg(path, file.errorString()));
    if (!sync(file)) throw Failure(texts::kCannotWrite.arg(path, lastError()));
    if (file.size() == 0) throw Failure(texts::kCannotWrite.arg(path, texts::kNothingWritten));
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
