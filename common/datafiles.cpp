#include "common/datafiles.h"

#include "common/texts.h"

#include <QFile>
#include <memory>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace velmora {

namespace {

[[noreturn]] void fail(const QString& text, const QString& name, const QString& reason) {
    throw Failure(text.arg(name, reason));
}

bool syncToDisk(QFile& file) {
    if (!file.flush()) return false;
#ifdef _WIN32
    return _commit(file.handle()) == 0;
#else
    return fsync(file.handle()) == 0;
#endif
}

void writeDurably(QFile& file, const QString& name, const QByteArray& bytes,
                  QIODevice::OpenMode mode) {
    if (!file.open(mode | QIODevice::WriteOnly | QIODevice::Unbuffered))
        fail(texts::kCannotOpen, name, file.errorString());
    if (file.write(bytes) != bytes.size() || !syncToDisk(file)) {
        const QString reason = file.errorString();
        file.close();
        fail(texts::kCannotWrite, name, reason);
    }
    file.close();
}

// Opened straight away: the registry is read on every clock tick, and a look-up of the
// file before each open is one more system call each time. Only a failed open asks why.
std::unique_ptr<QFile> openForReading(const QString& path, const QString& name) {
    auto file = std::make_unique<QFile>(path);
    if (file->open(QIODevice::ReadOnly)) return file;
    if (!file->exists()) return nullptr;
    fail(texts::kCannotRead, name, file->errorString());
}

} // namespace

std::optional<QByteArray> DataFolder::readIfExists(const QString& name) const {
    const auto file = openForReading(path(name), name);
    if (!file) return std::nullopt;
    QByteArray bytes = file->readAll();
    if (file->error() != QFileDevice::NoError) fail(texts::kCannotRead, name, file->errorString());
    return bytes;
}

std::optional<BackwardLineReader> DataFolder::linesFromEnd(const QString& name,
                                                           qint64 blockSize) const {
    std::shared_ptr<QFile> file = openForReading(path(name), name);
    if (!file) return std::nullopt;
    // A device would be read without end.
    if (file->isSequential()) fail(texts::kCannotRead, name, texts::kNotRegularFile);
    qint64 unread = file->size();
    return BackwardLineReader(
        [file, unread, name](qint64 limit) mutable {
            const qint64 n = std::min(unread, limit);
            if (n == 0) return QByteArray();
            if (!file->seek(unread - n)) fail(texts::kCannotRead, name, file->errorString());
            QByteArray bytes = file->read(n);
            if (bytes.size() != n) fail(texts::kCannotRead, name, file->errorString());
            unread -= n;
            return bytes;
        },
        blockSize);
}

void DataFolder::createIfMissing(const QString& name) const {
    QFile file(path(name));
    if (file.open(QIODevice::ReadOnly)) return;
    // Append mode creates a missing file without truncating an existing one.
    if (!file.open(QIODevice::Append | QIODevice::WriteOnly))
        fail(texts::kCannotCreate, name, file.errorString());
}

void DataFolder::replace(const QString& name, const QByteArray& bytes) const {
    QFile file(path(name));
    writeDurably(file, name, bytes, QIODevice::Truncate);
}

void DataFolder::appendLine(const QString& name, const QByteArray& line) const {
    bool endsMidLine = false;
    {
        // Whatever keeps the file from being read here is met and named by the append.
        QFile file(path(name));
        char last = 0;
        if (file.open(QIODevice::ReadOnly) && !file.isSequential() && file.size() > 0 &&
            file.seek(file.size() - 1) && file.getChar(&last))
            endsMidLine = last != '\r' && last != '\n';
    }
    QFile file(path(name));
    writeDurably(file, name, endsMidLine ? "\r\n" + line : line, QIODevice::Append);
}

} // namespace velmora
