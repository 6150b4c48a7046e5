#include "storage/backwardlines.h"

#include "storage/fields.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
// Every build is x86-64 (Linux and the Windows cross build), where SSE2 is always there.
#include <emmintrin.h>

namespace velmora {

namespace {

constexpr size_t npos = std::string_view::npos;
// How many bytes' lines previousLines() gives at most, unless one line is longer.
constexpr size_t kBatchBytes = 8 * 1024;
// Bytes that are only searched for a line end are read in larger blocks.
constexpr qint64 kSkipBlock = 1 << 20;

// The first CR or LF at or after `from`.
size_t firstLineEnd(std::string_view data, size_t from) {
    if (from >= data.size()) return npos;
    const char* start = data.data() + from;
    const size_t n = data.size() - from;
    const void* cr = std::memchr(start, '\r', n);
    const void* lf =
        std::memchr(start, '\n', cr ? size_t(static_cast<const char*>(cr) - start) : n);
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

// The last CR or LF in the data, both at once and 16 bytes a step: the lines are short, and
// a library search for each kind on each line costs more than the line's bytes.
size_t lastCrOrLf(std::string_view data) {
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    size_t i = data.size();
    for (; i >= 16; i -= 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data.data() + i - 16));
        const int hits =
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
        if (hits != 0) return i - 16 + size_t(31 - __builtin_clz(unsigned(hits)));
    }
    while (i-- > 0)
        if (data[i] == '\r' || data[i] == '\n') return i;
    return npos;
}

} // namespace

BackwardSearch::BackwardSearch(std::string_view needle) : needle_(needle) {
    shift_.fill(needle.size());
    for (size_t i = needle.size(); i-- > 1;) shift_[static_cast<unsigned char>(needle[i])] = i;
}

size_t BackwardSearch::lastIn(std::string_view data) const {
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

BackwardLineReader::BackwardLineReader(std::string_view data)
    : storage_(QByteArray::fromRawData(data.data(), qsizetype(data.size()))), end_(data.size()),
      searchEnd_(end_) {}

BackwardLineReader::BackwardLineReader(ReadBefore readBefore, qint64 blockSize, qint64 longestLine)
    : readBefore_(std::move(readBefore)), blockSize_(std::max<qint64>(blockSize, 1)),
      longestLine_(size_t(longestLine)) {}

bool BackwardLineReader::previous(std::string_view& line) {
    clean_ = npos;
    if (done_) return false;
    if (!started_ && !start()) return false;
    for (;;) {
        const size_t end = lastLineEnd();
        if (end == std::string_view::npos) {
            if (end_ > longestLine_) {
                if (skipLongLine()) continue;
                done_ = true;
                return false;
            }
            if (const size_t added = growFront()) {
                searchEnd_ = added; // the bytes behind them hold no line end
                continue;
            }
            // The first line of the data.
            line = withoutByteOrderMark(view().substr(0, end_));
            done_ = true;
            longLines_ += end_ > longestLine_;
            return end_ <= longestLine_;
        }
        size_t lineStart = end + 1;
        size_t lineEnd = end_;
        size_t terminator = end;
        // An LF may be the second half of a CR LF whose CR has not been read yet.
        if (at(terminator) == '\n' && terminator == 0) {
            const size_t added = growFront();
            lineStart += added, lineEnd += added, terminator += added;
        }
        const bool crlf = at(terminator) == '\n' && terminator > 0 && at(terminator - 1) == '\r';
        end_ = crlf ? terminator - 1 : terminator;
        searchEnd_ = end_;
        line = view().substr(lineStart, lineEnd - lineStart);
        if (line.size() <= longestLine_) return true;
        ++longLines_;
    }
}

bool BackwardLineReader::previousLines(std::vector<std::string_view>& lines) {
    lines.clear();
    clean_ = npos;
    if (done_) return false;
    if (!started_ && !start()) return false;
    // As previous() takes them, as long as they end past the window's first byte: an LF
    // there may be the second half of a CR LF whose CR has not been read yet. The end is
    // kept in a local until the last line: a member written on every line costs a stall.
    const char* const data = view().data();
    size_t unreadEnd = end_;
    auto take = [&](size_t end) {
        // The CR of a CR LF whose LF lay in the window above went with it.
        if (end >= unreadEnd) return;
        const size_t lineStart = end + 1, lineEnd = unreadEnd;
        unreadEnd = data[end] == '\n' && data[end - 1] == '\r' ? end - 1 : end;
        if (lineEnd - lineStart <= longestLine_)
            lines.emplace_back(data + lineStart, lineEnd - lineStart);
    };
    // The line ends of 64 bytes at a time as bits, taken from the highest: one pass over the
    // window rather than a search per line. The CR of a CR LF is no line end of its own.
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    // A few KiB of lines a call: they are still in the processor's cache when read.
    const size_t stop = searchEnd_ > kBatchBytes ? searchEnd_ - kBatchBytes : 0;
    for (size_t to = searchEnd_; to > stop || (to > 0 && lines.empty());) {
        const size_t from = to >= 64 ? to - 64 : 0;
        uint64_t crs = 0, lfs = 0;
        if (to - from == 64) {
            for (int k = 0; k < 4; ++k) {
                const __m128i v =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from + 16 * k));
                crs |= uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, cr)))) << (16 * k);
                lfs |= uint64_t(unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, lf)))) << (16 * k);
            }
        } else {
            for (size_t i = from; i < to; ++i) {
                crs |= uint64_t(data[i] == '\r') << (i - from);
                lfs |= uint64_t(data[i] == '\n') << (i - from);
            }
        }
        uint64_t hits = lfs | (crs & ~(lfs >> 1));
        for (; hits != 0; hits &= ~(uint64_t(1) << (63 - __builtin_clzll(hits)))) {
            const size_t end = from + size_t(63 - __builtin_clzll(hits));
            if (end == 0) break;
            take(end);
        }
        to = from;
    }
    end_ = searchEnd_ = unreadEnd;
    if (!lines.empty()) return true;
    std::string_view line;
    if (!previous(line)) return false;
    lines.push_back(line);
    return true;
}

bool BackwardLineReader::previousHolding(const BackwardSearch& search, std::string_view& line) {
    if (done_) return false;
    if (!started_ && !start()) return false;
    for (;;) {
        const std::string_view unread = view().substr(0, end_);
        // The lines after the first line end are whole; the first may go on in the bytes not
        // read yet, and is searched once it is whole: at the data's start, or when a line end
        // is read in front of it. One that has grown too long by then is passed over unsearched.
        const std::string_view fresh = clean_ == npos ? unread : unread.substr(0, clean_);
        size_t first = firstLineEnd(fresh, 1);
        size_t whole = first == npos ? end_ : first, wholeEnd = end_;
        if (clean_ != npos && first != npos) {
            const size_t cr = lastOf(fresh, '\r'), lf = lastOf(fresh, '\n');
            const size_t grown = cr == npos ? lf : lf == npos ? cr : std::max(cr, lf);
            if (end_ - grown > longestLine_ + 2) wholeEnd = grown;
        }
        if (!readBefore_) whole = 0, wholeEnd = end_;
        const size_t hit = search.lastIn(unread.substr(whole, wholeEnd - whole));
        if (hit != npos) {
            // The line holding it ends at the first line end after it; the lines behind
            // that are dropped unread.
            const size_t lineEnd = firstLineEnd(unread, whole + hit);
            if (lineEnd != npos) end_ = searchEnd_ = lineEnd;
            if (!previous(line)) return false;
            // Otherwise its line was too long and previous() went on to the one before.
            if (search.lastIn(line) != npos) return true;
            continue;
        }
        if (!readBefore_) {
            done_ = true;
            return false;
        }
        // All after the first line end is dropped. A line end at 0 may be the LF of a CR LF
        // whose CR is not read yet; both are kept, as previous() leaves them.
        if (first != npos) {
            if (at(first) == '\n' && at(first - 1) == '\r') --first;
            end_ = searchEnd_ = first;
        } else if (end_ > longestLine_ + 1 && (at(0) == '\r' || at(0) == '\n')) {
            // The line after a line end at 0 is too long; the one before is read next.
            end_ = searchEnd_ = at(0) == '\n' ? 1 : 0;
        } else if (end_ > longestLine_ + 1) {
            if (skipLongLine()) continue;
            done_ = true;
            return false;
        }
        clean_ = std::min<size_t>(1, end_); // no line end from there on
        growFront(); // nothing at the data's start: the first line is searched next
        searchEnd_ = end_;
    }
}

// The last CR or LF before searchEnd_.
size_t BackwardLineReader::lastLineEnd() { return lastCrOrLf(view().substr(0, searchEnd_)); }

// The line end at the very end of the data belongs to the last line.
bool BackwardLineReader::start() {
    started_ = true;
    if (end_ == 0 && !growFront()) {
        done_ = true;
        return false;
    }
    dropFinalLineEnd();
    return true;
}

void BackwardLineReader::dropFinalLineEnd() {
    const char last = at(end_ - 1);
    if (last == '\n') {
        if (end_ < 2) growFront();
        end_ -= end_ >= 2 && at(end_ - 2) == '\r' ? 2 : 1;
    } else if (last == '\r') {
        end_ -= 1;
    }
    searchEnd_ = end_;
}

// The unread part is the end of a line too long to be kept: it is dropped, and so is
// every block read before it up to the line end that ends the line before. Returns false
// when that line was the data's first.
bool BackwardLineReader::skipLongLine() {
    const qint64 limit = std::max<qint64>(blockSize_, kSkipBlock);
    ++longLines_;
    makeRoom(size_t(limit), 0);
    for (;;) {
        const qint64 got = readBefore_ ? readBefore_(storage_.data() + front_, limit) : 0;
        if (got == 0) {
            readBefore_ = nullptr;
            return false;
        }
        // Bytes without a line end are left where they are, for the next read to overwrite.
        const std::string_view bytes = {storage_.constData() + front_ - got, size_t(got)};
        const size_t cr = lastOf(bytes, '\r');
        const size_t lf = lastOf(bytes, '\n');
        if (cr == npos && lf == npos) continue;
        front_ -= size_t(got);
        end_ = (cr == npos ? lf : lf == npos ? cr : std::max(cr, lf)) + 1;
        clean_ = npos;
        dropFinalLineEnd();
        return true;
    }
}

// Puts more of the data in front of the unread part; the lines already given are
// dropped. Returns how many bytes were added (0 at the data's start).
size_t BackwardLineReader::growFront() {
    if (!readBefore_) return 0;
    // Reading at least as much as is held keeps a very long line from costing
    // quadratic copying.
    const qint64 limit = std::max<qint64>(blockSize_, qint64(end_));
    makeRoom(size_t(limit), end_);
    const size_t added = size_t(readBefore_(storage_.data() + front_, limit));
    if (added == 0) {
        readBefore_ = nullptr;
        return 0;
    }
    front_ -= added;
    end_ += added;
    if (clean_ != npos) clean_ += added;
    return added;
}

// Makes room for `n` bytes before the first `keep` of the data at hand, dropping the rest.
// One buffer serves the whole reading: the kept bytes move to its end only when the room in
// front runs out, and it then grows to twice what it must hold, so that each byte is copied
// about once.
void BackwardLineReader::makeRoom(size_t n, size_t keep) {
    if (front_ >= n) return;
    const size_t room = std::max(size_t(storage_.size()), 2 * (n + keep));
    const char* kept = storage_.constData() + front_;
    QByteArray grown = room == size_t(storage_.size())
                           ? std::move(storage_)
                           : QByteArray(qsizetype(room), Qt::Uninitialized);
    std::memmove(grown.data() + room - keep, kept, keep);
    storage_ = std::move(grown);
    front_ = room - keep;
}

bool lastLineStartingWith(BackwardLineReader& lines, std::string_view key, std::string_view* fields,
                          size_t count) {
    if (key.find_first_of("\r\n") != npos) return false;
    const BackwardSearch search(key);
    std::string_view line;
    while (lines.previousHolding(search, line))
        if (firstFieldIs(line, key) && readFields(line, fields, count) == count) return true;
    return false;
}

} // namespace velmora
