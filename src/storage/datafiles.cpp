#include "storage/datafiles.h"

#include "storage/fields.h"
#include "storage/osfile.h"
#include "texts/texts.h"

#include <QFileInfo>
#include <memory>

namespace velmora {

namespace {

// Another terminal's append takes milliseconds; one that holds the file longer has hung.
constexpr std::chrono::seconds kLockWait{3};

[[noreturn]] void fail(const QString& text, const QString& name, const QString& reason) {
    throw Failure(text.arg(name, reason));
}

} // namespace

DataFolder::DataFolder(QDir dir, std::shared_ptr<const FileCalls> calls)
    : dir_(std::move(dir)), calls_(calls ? std::move(calls) : systemFileCalls()) {}

std::optional<QByteArray> DataFolder::firstLine(const QString& name) const {
    const auto file = OsFile::open(path(name), name, OsFile::Access::Read, calls_);
    if (!file || file->size() == 0) return std::nullopt;
    // Nothing after the longest line a file may hold is read.
    const QByteArray start = file->readAt(0, std::min(file->size(), kLongestLine + 4));
    const std::string_view line = velmora::firstLine(withoutByteOrderMark(view(start)));
    if (qint64(line.size()) > kLongestLine) fail(texts::kCannotRead, name, texts::kLineTooLong);
    return QByteArray(line.data(), qsizetype(line.size()));
}

BackwardLineReader linesFromEnd(std::shared_ptr<const OsFile> file, qint64 blockSize,
                                std::function<void(qint64 unread)> onRead) {
    qint64 unread = file->size();
    return BackwardLineReader(
        [file = std::move(file), unread, onRead = std::move(onRead)](char* end,
                                                                     qint64 limit) mutable {
            const qint64 n = std::min(unread, limit);
            if (n == 0) return qint64(0);
            unread -= n;
            file->readAt(unread, n, end - n);
            if (onRead) onRead(unread);
            return n;
        },
        blockSize);
}

std::optional<BackwardLineReader> DataFolder::linesFromEnd(const QString& name,
                                                           qint64 blockSize) const {
    auto file = OsFile::open(path(name), name, OsFile::Access::Read, calls_);
    if (!file) return std::nullopt;
    return velmora::linesFromEnd(std::make_shared<const OsFile>(std::move(*file)), blockSize);
}

std::optional<FileStamp> DataFolder::stamp(const QString& name) const {
    const auto file = OsFile::open(path(name), name, OsFile::Access::Read, calls_);
    if (!file) return std::nullopt;
    return FileStamp{file->size(), file->modified()};
}

void DataFolder::createIfMissing(const QString& name) const {
    // An existing file is only looked at: it may be read-only, or no regular file.
    if (!OsFile::open(path(name), name, OsFile::Access::Read, calls_))
        OsFile::open(path(name), name, OsFile::Access::Create, calls_);
}

void DataFolder::replace(const QString& name, const QByteArray& bytes) const {
    // A link at the name is refused, as an append through it would be.
    if (const QFileInfo link(path(name)); link.isSymLink() || link.isJunction())
        fail(texts::kCannotOpen, name, texts::kNotRegularFile);
    replaceWhole(path(name), name, bytes, name + u'.', calls_);
}

void DataFolder::appendLine(const QString& name, const QByteArray& line,
                            const std::function<void(const OsFile&, qint64)>& whileLocked) const {
    OsFile file = *OsFile::open(path(name), name, OsFile::Access::Append, calls_);
    file.lockForAppending(kLockWait);
    const qint64 size = file.size();
    const bool endsMidLine = size > 0 && !QByteArray("\r\n").contains(file.readAt(size - 1, 1));
    file.appendWhole(endsMidLine ? "\r\n" + line : line, size);
    if (whileLocked) whileLocked(file, endsMidLine ? size + 2 : size);
}

} // namespace velmora
