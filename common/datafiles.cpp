#include "datafiles.h"

#include <QFile>
#include <QFileInfo>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace velmora {

namespace {

[[noreturn]] void fail(const QString& what, const QString& name, const QFile& file) {
    throw Failure(QStringLiteral("%1 \"%2\": %3").arg(what, name, file.errorString()));
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
        fail(QStringLiteral("ファイルを開けません"), name, file);
    if (file.write(bytes) != bytes.size() || !syncToDisk(file)) {
        QString reason = file.errorString();
        file.close();
        throw Failure(QStringLiteral("ファイルに書き込めません \"%1\": %2").arg(name, reason));
    }
    file.close();
}

} // namespace

std::optional<QByteArray> DataFolder::readIfExists(const QString& name) const {
    QFile file(path(name));
    // Opened straight away: the registry is read on every clock tick, and a look-up of the
    // file before each open is one more system call each time. Only a failed open asks why.
    if (!file.open(QIODevice::ReadOnly)) {
        if (!file.exists()) return std::nullopt;
        fail(QStringLiteral("ファイルを読めません"), name, file);
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        fail(QStringLiteral("ファイルを読めません"), name, file);
    return bytes;
}

QByteArray DataFolder::read(const QString& name) const {
    auto bytes = readIfExists(name);
    if (!bytes)
        throw Failure(QStringLiteral("ファイルが見つかりません \"%1\"").arg(name));
    return *bytes;
}

void DataFolder::createIfMissing(const QString& name) const {
    QFile file(path(name));
    if (file.open(QIODevice::ReadOnly)) return;
    // Append mode creates a missing file without truncating an existing one.
    if (!file.open(QIODevice::Append | QIODevice::WriteOnly))
        fail(QStringLiteral("ファイルを作成できません"), name, file);
    file.close();
}

void DataFolder::replace(const QString& name, const QByteArray& bytes) const {
    QFile file(path(name));
    writeDurably(file, name, bytes, QIODevice::Truncate);
}

void DataFolder::append(const QString& name, const QByteArray& bytes) const {
    QFile file(path(name));
    writeDurably(file, name, bytes, QIODevice::Append);
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
    append(name, endsMidLine ? "\r\n" + line : line);
}

} // namespace velmora
