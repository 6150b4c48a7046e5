#include "common/backwardlines.h"

#include "common/fields.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace velmora {

namespace {

constexpr size_t npos = std::string_view::npos;
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

#ifdef __SSE2__
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
#endif

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
    : window_(QByteArray::fromRawData(data.data(), qsizetype(data.size()))), end_(data.size()),
      searchEnd_(end_) {}

BackwardLineReader::BackwardLineReader(ReadBefore readBefore, qint64 blockSize, qint64 longestLine)
    : readBefore_(std::move(readBefore)), blockSize_(std::max<qint64>(blockSize, 1)),
      longestLine_(size_t(longestLine)) {}

bool BackwardLineReader::previous(std::string_view& line) {
    held_ = false;
    return previousLine(line);
}

bool BackwardLineReader::previousLines(std::vector<std::string_view>& lines) {
    lines.clear();
    held_ = false;
    if (done_) return false;
    if (!started_ && !start()) return false;
    // As previousLine() takes them, as long as they end past the window's first byte: an LF
    // there may be the second half of a CR LF whose CR has not been read yet.
    const char* const data = window_.constData();
    auto take = [&](size_t end) {
        const size_t lineStart = end + 1, lineEnd = end_;
        end_ = data[end] == '\n' && data[end - 1] == '\r' ? end - 1 : end;
        searchEnd_ = end_;
        if (lineEnd - lineStart <= longestLine_)
            lines.emplace_back(data + lineStart, lineEnd - lineStart);
    };
#ifdef __SSE2__
    // The line ends of 64 bytes at a time as bits, taken from the highest: one pass over the
    // window rather than a search per line.
    const __m128i cr = _mm_set1_epi8('\r'), lf = _mm_set1_epi8('\n');
    for (size_t to = searchEnd_; to > 0;) {
        const size_t from = to >= 64 ? to - 64 : 0;
        uint64_t hits = 0;
        if (to - from == 64) {
            for (int k = 0; k < 4; ++k) {
                const __m128i v =
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + from + 16 * k));
                const int mask =
                    _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf)));
                hits |= uint64_t(unsigned(mask)) << (16 * k);
            }
        } else {
            for (size_t i = from; i < to; ++i)
                if (data[i] == '\r' || data[i] == '\n') hits |= uint64_t(1) << (i - from);
        }
        for (; hits != 0; hits &= ~(uint64_t(1) << (63 - __builtin_clzll(hits)))) {
            const size_t end = from + size_t(63 - __builtin_clzll(hits));
            if (end == 0) break;
            if (end < searchEnd_) take(end); // not the CR of a CR LF just taken
        }
        to = from;
    }
#else
    for (;;) {
        const size_t end = lastLineEnd();
        if (end == npos || end == 0) break;
        take(end);
    }
#endif
    if (!lines.empty()) return true;
    std::string_view line;
    if (!previousLine(line)) return false;
    lines.push_back(line);
    return true;
}

bool BackwardLineReader::previousLine(std::string_view& line) {
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
    }
}

bool BackwardLineReader::previousHolding(const BackwardSearch& search, std::string_view& line) {
    held_ = false;
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
            if (!previousLine(line)) return false;
            // Otherwise its line was too long and previous() went on to the one before.
            if (search.lastIn(line) != npos) return true;
            continue;
        }
        // No line here holds it, but the first may go on in the bytes not read yet: all
        // after its line end is dropped. A line end at 0 may be the LF of a CR LF whose
        // CR is not read yet; both are kept, as previous() leaves them.
        size_t first = firstLineEnd(unread, 1);
        if (first != npos) {
            if (at(first) == '\n' && at(first - 1) == '\r') --first;
            end_ = searchEnd_ = first;
        } else if (end_ > longestLine_ + 1) { // even after a line end at 0
            if (skipLongLine()) continue;
            done_ = true;
            return false;
        }
        if (!growFront()) {
            done_ = true;
            return false;
        }
        searchEnd_ = end_;
    }
}

// The last CR or LF before searchEnd_. Without SSE2 each kind is found with memrchr and
// kept until passed: a file with one kind of line end is not searched through for the
// other on every line.
size_t BackwardLineReader::lastLineEnd() {
#ifdef __SSE2__
    return lastCrOrLf(view().substr(0, searchEnd_));
#else
    update(lastCr_, '\r');
    update(lastLf_, '\n');
    if (lastCr_.at == npos) return lastLf_.at;
    if (lastLf_.at == npos) return lastCr_.at;
    return std::max(lastCr_.at, lastLf_.at);
#endif
}

void BackwardLineReader::update(Found& found, char c) {
    if (found.known && (found.at == npos || found.at < searchEnd_)) return;
    found = {lastOf(view().substr(0, searchEnd_), c), true};
}

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
    for (;;) {
        QByteArray front =
            readBefore_ ? readBefore_(std::max<qint64>(blockSize_, kSkipBlock)) : QByteArray();
        if (front.isEmpty()) {
            readBefore_ = nullptr;
            return false;
        }
        const std::string_view bytes = {front.constData(), size_t(front.size())};
        const size_t cr = lastOf(bytes, '\r');
        const size_t lf = lastOf(bytes, '\n');
        if (cr == npos && lf == npos) continue;
        end_ = (cr == npos ? lf : lf == npos ? cr : std::max(cr, lf)) + 1;
        replaceWindow(std::move(front));
        lastCr_.known = lastLf_.known = false;
        dropFinalLineEnd();
        return true;
    }
}

// The first window this call replaces is kept until the next: the line given last may lie in
// it.
void BackwardLineReader::replaceWindow(QByteArray&& window) {
    if (!held_) held_ = true, lastWindow_ = std::move(window_);
    window_ = std::move(window);
}

// Puts more of the data in front of the unread part; the lines already given are
// dropped. Returns how many bytes were added (0 at the data's start).
size_t BackwardLineReader::growFront() {
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
    replaceWindow(std::move(front));
    end_ += added;
    lastCr_.known = lastLf_.known = false;
    return added;
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
