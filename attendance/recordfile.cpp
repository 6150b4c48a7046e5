// The record file: finding a user's last record and appending new ones.

#include "attendance.h"

#include "cp932.h"
#include "fields.h"
#include "names.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cstring>
#include <functional>

namespace velmora {

namespace {

constexpr size_t npos = std::string_view::npos;

// The last place of a needle in bytes, by Horspool's search run from the end: at each try
// the byte under the needle's first position tells how far it may move back, mostly its
// whole length, so that most bytes of a long file are never looked at.
class BackwardSearch {
public:
    explicit BackwardSearch(std::string_view needle) : needle_(needle) {
        shift_.fill(needle.size());
        for (size_t i = needle.size(); i-- > 1;) shift_[static_cast<unsigned char>(needle[i])] = i;
    }

    size_t lastIn(std::string_view data) const {
        const size_t n = needle_.size();
        if (n == 0) return data.size();
        if (data.size() < n) return npos;
        for (size_t pos = data.size() - n;;) {
            if (data[pos] == needle_[0] &&
                std::memcmp(data.data() + pos + 1, needle_.data() + 1, n - 1) == 0)
                return pos;
            const size_t shift = shift_[static_cast<unsigned char>(data[pos])];
            if (pos < shift) return npos;
            pos -= shift;
        }
    }

private:
    std::string_view needle_;
    std::array<size_t, 256> shift_;
};

// The first CR or LF at or after `from`.
size_t firstLineEnd(std::string_view data, size_t from) {
    if (from >= data.size()) return npos;
    const char* start = data.data() + from;
    const size_t n = data.size() - from;
    const void* cr = std::memchr(start, '\r', n);
    const void* lf = std::memchr(start, '\n', cr ? size_t(static_cast<const char*>(cr) - start) : n);
    const void* hit = lf ? lf : cr;
    return hit ? size_t(static_cast<const char*>(hit) - data.data()) : npos;
}

// The last `c` in the data.
size_t lastOf(std::string_view data, char c) {
#ifdef __GLIBC__
    const void* hit = memrchr(data.data(), c, data.size());
    return hit ? size_t(static_cast<const char*>(hit) - data.data()) : npos;
#else
    return data.rfind(c);
#endif
}

// Lines from the last to the first, split exactly as LineReader splits them going forward:
// CR LF, a lone CR and a lone LF each end a line, and a line end at the very end of the
// data starts no further line. The file grows for years and a user's last record is
// normally near its end, so the file is read from the end in blocks, only as far as needed.
class BackwardLineReader {
public:
    // Gives up to `limit` bytes lying just before those already read; "" at the start.
    using ReadBefore = std::function<QByteArray(qint64 limit)>;

    // All the data at hand.
    explicit BackwardLineReader(std::string_view data)
        : window_(QByteArray::fromRawData(data.data(), qsizetype(data.size()))),
          end_(data.size()), searchEnd_(end_) {}
    // Only the data's end at hand; `readBefore` brings the rest on demand.
    BackwardLineReader(ReadBefore readBefore, qint64 blockSize)
        : readBefore_(std::move(readBefore)), blockSize_(std::max<qint64>(blockSize, 1)) {}

    bool previous(std::string_view& line) {
        if (done_) return false;
        if (!started_ && !start()) return false;
        for (;;) {
            const size_t end = lastLineEnd();
            if (end == std::string_view::npos) {
                if (const size_t added = growFront()) {
                    searchEnd_ = added; // the bytes behind them hold no line end
                    continue;
                }
                // The first line of the data.
                line = view().substr(0, end_);
                done_ = true;
                return true;
            }
            size_t lineStart = end + 1;
            size_t lineEnd = end_;
            size_t terminator = end;
            // An LF may be the second half of a CR LF whose CR has not been read yet.
            if (at(terminator) == '\n' && terminator == 0) {
                const size_t added = growFront();
                lineStart += added, lineEnd += added, terminator += added;
            }
            const bool crlf = at(terminator) == '\n' && terminator > 0 &&
                              at(terminator - 1) == '\r';
            end_ = crlf ? terminator - 1 : terminator;
            searchEnd_ = end_;
            line = view().substr(lineStart, lineEnd - lineStart);
            return true;
        }
    }

    // The previous line that holds `needle` (one without a line end in it), as a loop over
    // previous() keeping only such lines would give it; the lines in between are passed
    // over by searching for the needle alone, not split.
    bool previousHolding(const BackwardSearch& search, std::string_view& line) {
        if (done_) return false;
        if (!started_ && !start()) return false;
        for (;;) {
            const std::string_view unread = view().substr(0, end_);
            const size_t hit = search.lastIn(unread);
            if (hit != npos) {
                // The line holding it ends at the first line end after it; the lines behind
                // that are dropped unread.
                const size_t lineEnd = firstLineEnd(unread, hit);
                if (lineEnd != npos) end_ = searchEnd_ = lineEnd;
                return previous(line);
            }
            // No line here holds it, but the first may go on in the bytes not read yet: all
            // after its line end is dropped. A line end at 0 may be the LF of a CR LF whose
            // CR is not read yet; both are kept, as previous() leaves them.
            size_t first = firstLineEnd(unread, 1);
            if (first != npos) {
                if (at(first) == '\n' && at(first - 1) == '\r') --first;
                end_ = searchEnd_ = first;
            }
            if (!growFront()) {
                done_ = true;
                return false;
            }
            searchEnd_ = end_;
        }
    }

private:
    std::string_view view() const { return {window_.constData(), size_t(window_.size())}; }
    // Never through QByteArray's operator[]: it would copy data held in place.
    char at(size_t i) const { return window_.constData()[i]; }

    // The last CR or LF before searchEnd_. Each kind is found with memrchr and kept until
    // passed, as LineReader does going forward: a file with one kind of line end is not
    // searched through for the other on every line.
    size_t lastLineEnd() {
        update(lastCr_, '\r');
        update(lastLf_, '\n');
        if (lastCr_.at == npos) return lastLf_.at;
        if (lastLf_.at == npos) return lastCr_.at;
        return std::max(lastCr_.at, lastLf_.at);
    }

    // `at` is the last such byte before some point at or after searchEnd_ (npos: none);
    // that stays true while searchEnd_ moves back. growFront() moves the bytes and makes
    // it unknown.
    struct Found {
        size_t at = npos;
        bool known = false;
    };

    void update(Found& found, char c) {
        if (found.known && (found.at == npos || found.at < searchEnd_)) return;
        found = {lastOf(view().substr(0, searchEnd_), c), true};
    }

    // The line end at the very end of the data belongs to the last line.
    bool start() {
        started_ = true;
        if (end_ == 0 && !growFront()) {
            done_ = true;
            return false;
        }
        const char last = at(end_ - 1);
        if (last == '\n') {
            if (end_ < 2) growFront();
            end_ -= end_ >= 2 && at(end_ - 2) == '\r' ? 2 : 1;
        } else if (last == '\r') {
            end_ -= 1;
        }
        searchEnd_ = end_;
        return true;
    }

    // Puts more of the data in front of the unread part; the lines already given are
    // dropped. Returns how many bytes were added (0 at the data's start).
    size_t growFront() {
        if (!readBefore_) return 0;
        // Reading at least as much as is held keeps a very long line from costing
        // quadratic copying.
        QByteArray front = readBefore_(std::max<qint64>(blockSize_, qint64(end_)));
        if (front.isEmpty()) {
            readBefore_ = nullptr;
            return 0;
        }
        const size_t added = size_t(front.size());
        front.append(window_.constData(), qsizetype(end_));
        window_ = std::move(front);
        end_ += added;
        lastCr_.known = lastLf_.known = false;
        return added;
    }

    ReadBefore readBefore_;
    qint64 blockSize_ = 0;
    QByteArray window_; // the unread part of the data ends at end_
    size_t end_ = 0;
    size_t searchEnd_ = 0; // where the search for the next line end starts
    Found lastCr_;
    Found lastLf_;
    bool started_ = false;
    bool done_ = false;
};

AttendanceRecord lastRecord(BackwardLineReader& lines, const QString& name) {
    // Names are compared as stored; one the file cannot hold was never written to it.
    const auto wanted = toCp932(name);
    if (!wanted) return {};
    // Nor one with a line break: no line holds it.
    if (wanted->contains('\r') || wanted->contains('\n')) return {};
    // A record of the user's holds the name: the lines without it are passed over unsplit.
    // Most lines are other users', and a user with no record is searched for to the
    // file's start.
    const BackwardSearch search(view(*wanted));
    std::string_view line;
    while (lines.previousHolding(search, line)) {
        if (!firstFieldIs(line, view(*wanted))) continue;
        std::string_view fields[4];
        // Lines the program did not write may be blank or short: they are no record.
        if (readFields(line, fields, 4) < 4) continue;
        return {fromCp932(fields[0]), fromCp932(fields[1]), fromCp932(fields[2]),
                fromCp932(fields[3])};
    }
    return {};
}

[[noreturn]] void readFault(const QString& reason) {
    throw Failure(QStringLiteral("ファイルを読めません \"%1\": %2").arg(kRecordFile, reason));
}

} // namespace

AttendanceRecord lastRecordIn(std::string_view records, const QString& name) {
    BackwardLineReader lines(records);
    return lastRecord(lines, name);
}

AttendanceRecord FindLastRecord(const DataFolder& files, const QString& name) {
    return FindLastRecord(files, name, 64 * 1024);
}

AttendanceRecord FindLastRecord(const DataFolder& files, const QString& name, qint64 blockSize) {
    QFile file(files.path(kRecordFile));
    // Start-up creates the file; should it have gone since, it holds no record, and the
    // next append makes it again as a restart would.
    if (!file.exists()) return {};
    if (!file.open(QIODevice::ReadOnly)) readFault(file.errorString());
    // A device would be read without end.
    if (file.isSequential()) readFault(QStringLiteral("通常のファイルではありません"));
    qint64 unread = file.size();
    BackwardLineReader lines(
        [&](qint64 limit) {
            const qint64 n = std::min(unread, limit);
            if (n == 0) return QByteArray();
            if (!file.seek(unread - n)) readFault(file.errorString());
            QByteArray bytes = file.read(n);
            if (bytes.size() != n) readFault(file.errorString());
            unread -= n;
            return bytes;
        },
        blockSize);
    return lastRecord(lines, name);
}

void AppendRecord(const DataFolder& files, const AttendanceRecord& record) {
    const QString fields[] = {record.name, record.date, record.time, record.kind};
    QByteArray encoded[4];
    for (int i = 0; i < 4; ++i) {
        // Written anyway, such a field would read back altered or spoil the line.
        if (!isStorableName(fields[i])) {
            if (i == 0) throw Failure(kUnstorableNameMessage);
            throw Failure(QStringLiteral("\"%1\" に記録できない文字が含まれています: %2")
                              .arg(kRecordFile, fields[i]));
        }
        encoded[i] = *toCp932(fields[i]);
    }
    files.appendLine(kRecordFile, quotedLine({encoded[0], encoded[1], encoded[2], encoded[3]}));
}

QString arrivalTime(const QString& clockText) {
    // The hour, the colon and two minute digits: 8:07 of 8:07:59.
    const qsizetype colon = clockText.indexOf(u':');
    const QString hm = clockText.left(colon + 3);
    int m = hm.right(2).toInt();
    m -= m % 5;
    return hm.left(colon + 1) + QStringLiteral("%1").arg(m, 2, 10, QChar(u'0'));
}

QString leavingTime(const QString& clockText) {
    const qsizetype colon = clockText.indexOf(u':');
    const QString hm = clockText.left(colon + 3);
    int m = hm.right(2).toInt();
    m += 5 - m % 5;
    int h = hm.left(colon).toInt();
    // The day does not roll over: a leaving just before midnight is 24:00 of today.
    if (m == 60) ++h, m = 0;
    return QStringLiteral("%1:%2").arg(h, 2, 10, QChar(u'0')).arg(m, 2, 10, QChar(u'0'));
}

} // namespace velmora
