#pragma once
// The three data files live in one folder (the working directory) under bare names.
// A file is never held open: every operation opens, works and closes.

#include "storage/backwardlines.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>

namespace velmora {

class OsFile;
struct FileCalls;

inline const QString kUserDataFile = QStringLiteral("使用者データ");
inline const QString kRecordFile = QStringLiteral("Velmora.dat");
inline const QString kRegistryFile = QStringLiteral("利用者Felica.dat");

// A fault the program cannot go on from; the handler that meets it names it in a message
// box and the program ends.
class Failure : public std::runtime_error {
public:
    explicit Failure(const QString& message)
        : std::runtime_error(message.toStdString()), message_(message) {}
    const QString& message() const { return message_; }

private:
    QString message_;
};

// An open file's lines from its end, read `blockSize` bytes at a time as the reader goes back
// (more for a long line). `onRead`, when given, is told after each read how many bytes lie
// before those read.
BackwardLineReader linesFromEnd(std::shared_ptr<const OsFile> file, qint64 blockSize = 64 * 1024,
                                std::function<void(qint64 unread)> onRead = {});

// A file's size and time of its last change: what was read from it holds while they stay.
struct FileStamp {
    qint64 size = -1;
    qint64 modified = 0;
    bool operator==(const FileStamp&) const = default;
};

class DataFolder {
public:
    // Its files are written and locked through `calls`, the system's own when none are given.
    explicit DataFolder(QDir dir = QDir::current(),
                        std::shared_ptr<const FileCalls> calls = nullptr);
    QString path(const QString& name) const { return dir_.filePath(name); }

    // The file's first line without its line end; nullopt when the file does not exist or
    // is empty.
    // Faults throw, as does a first line longer than kLongestLine.
    std::optional<QByteArray> firstLine(const QString& name) const;
    // The file's lines from its end, read `blockSize` bytes at a time as the reader goes
    // back (more for a long line); nullopt when the file does not exist. Faults throw.
    std::optional<BackwardLineReader> linesFromEnd(const QString& name,
                                                   qint64 blockSize = 64 * 1024) const;
    // nullopt when the file does not exist. Faults throw.
    std::optional<FileStamp> stamp(const QString& name) const;
    // Creates a missing file empty and leaves an existing one untouched.
    void createIfMissing(const QString& name) const;
    // Replaces the file's content whole or not at all; the data is on the disk when this
    // returns.
    void replace(const QString& name, const QByteArray& bytes) const;
    // Adds a whole line at the end, or nothing; it is on the disk when this returns. A file
    // left by an edit without its final line end gets one first: the line would otherwise
    // be glued to the last one and misread. `whileLocked`, when given, runs after the line is
    // on the disk and before the lock is given up, with the file and where the line begins.
    void
    appendLine(const QString& name, const QByteArray& line,
               const std::function<void(const OsFile&, qint64 lineStart)>& whileLocked = {}) const;
    // The calls its files go through: a file kept beside another goes through the same.
    const std::shared_ptr<const FileCalls>& calls() const { return calls_; }

private:
    QDir dir_;
    std::shared_ptr<const FileCalls> calls_;
};

} // namespace velmora
