#include "report/records.h"

#include "records/recordfile.h"
#include "storage/fields.h"

#include <QDate>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <utility>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace velmora {

int64_t julianDay(int year, int month, int day) {
    // Days from civil (Hinnant), shifted to the Julian day number.
    const int64_t y = month <= 2 ? year - 1 : year;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe + 1721120;
}

bool isShowableName(std::string_view name) {
    if (name.empty()) return false;
    for (const char c : name)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
    return true;
}

namespace {

constexpr bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

constexpr int kLengths[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

constexpr bool validDay(int year, int month, int day) {
    if (month < 1 || month > 12 || day < 1 || day > kLengths[month - 1]) return false;
    return month != 2 || day != 29 || leapYear(year);
}

// "MM/DD" (one digit each allowed) into month * 100 + day; -1 when it is not one.
int parseMonthDay(std::string_view t) {
    auto digit = [](char c) { return unsigned(c - '0') <= 9; };
    // The terminal's own "MM/DD" first: every line has one.
    if (t.size() == 5 && t[2] == '/' && digit(t[0]) && digit(t[1]) && digit(t[3]) && digit(t[4]))
        return ((t[0] - '0') * 10 + (t[1] - '0')) * 100 + (t[3] - '0') * 10 + (t[4] - '0');
    int numbers[2] = {0, 0};
    int digits[2] = {0, 0};
    int side = 0;
    for (const char c : t) {
        if (c == '/' && side == 0) {
            side = 1;
        } else if (c >= '0' && c <= '9' && digits[side] < 2) {
            numbers[side] = numbers[side] * 10 + (c - '0');
            ++digits[side];
        } else {
            return -1;
        }
    }
    return side == 1 && digits[1] > 0 && digits[0] > 0 ? numbers[0] * 100 + numbers[1] : -1;
}

// The last 24 bytes of a record line as the terminal writes it, "name","MM/DD","H:MM","出",
// with a time of 4 or 5 characters: D a date's digit, T a time's byte (any but a quote), ?
// any byte, every other byte itself.
struct TailShape {
    uint32_t literal = 0, digits = 0, time = 0; // bit i: byte i is one
    char bytes[24] = {};
    size_t date = 0; // where the date starts, from the line's end

    constexpr explicit TailShape(std::string_view shape) {
        for (size_t i = 0; i < 24; ++i) {
            const uint32_t bit = 1u << i;
            bytes[i] = shape[i];
            if (shape[i] == 'D')
                digits |= bit;
            else if (shape[i] == 'T')
                time |= bit;
            else if (shape[i] != '?')
                literal |= bit;
        }
        date = 24 - shape.find('D');
    }
};
constexpr TailShape kShortTime(R"(???","DD/DD","TTTT","??")");
constexpr TailShape kLongTime(R"(??","DD/DD","TTTTT","??")");

// Whether the 24 bytes at `q` have the shape: 16 bytes a step, as every line of a file is
// read for a month of its first year.
bool hasShape(const char* q, const TailShape& shape) {
#ifdef __SSE2__
    const __m128i low = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(q));
    const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(q + 8));
    auto bits = [&](auto test) {
        return (uint32_t(_mm_movemask_epi8(test(low, 0))) & 0xff) |
               uint32_t(_mm_movemask_epi8(test(high, 8))) << 8;
    };
    const uint32_t same = bits([&](__m128i v, int at) {
        const auto* expected = reinterpret_cast<const __m128i*>(shape.bytes + at);
        return _mm_cmpeq_epi8(v, at == 0 ? _mm_loadl_epi64(expected) : _mm_loadu_si128(expected));
    });
    const uint32_t digit = bits([](__m128i v, int) {
        const __m128i d = _mm_sub_epi8(v, _mm_set1_epi8('0'));
        return _mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(9)), d);
    });
    const uint32_t quote =
        bits([](__m128i v, int) { return _mm_cmpeq_epi8(v, _mm_set1_epi8('"')); });
    return (same & shape.literal) == shape.literal && (digit & shape.digits) == shape.digits &&
           (quote & shape.time) == 0;
#else
    for (size_t i = 0; i < 24; ++i) {
        const uint32_t bit = 1u << i;
        if ((shape.literal & bit) && q[i] != shape.bytes[i]) return false;
        if ((shape.digits & bit) && unsigned(q[i] - '0') > 9) return false;
        if ((shape.time & bit) && q[i] == '"') return false;
    }
    return true;
#endif
}

// Whether the `n` bytes at `p` hold a double quote or a control character; 16 bytes from
// each byte must be readable.
bool holdsQuoteOrControl(const char* p, size_t n) {
#ifdef __SSE2__
    for (size_t at = 0; at < n; at += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + at));
        const __m128i quoteOrDel = _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')),
                                                _mm_cmpeq_epi8(v, _mm_set1_epi8(0x7f)));
        const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(v, _mm_set1_epi8(0x1f)), v);
        unsigned bits = unsigned(_mm_movemask_epi8(_mm_or_si128(quoteOrDel, control)));
        if (n - at < 16) bits &= (1u << (n - at)) - 1;
        if (bits) return true;
    }
    return false;
#else
    for (size_t i = 0; i < n; ++i)
        if (p[i] == '"' || static_cast<unsigned char>(p[i]) < 0x20 || p[i] == 0x7f) return true;
    return false;
#endif
}

// What the report takes from a record line; no month and day (-1) for a line that is none.
struct RecordFields {
    std::string_view name, time;
    int monthDay = -1; // month * 100 + day
    bool arrival = false;
};

// A record line as the terminal writes it, with a name that can be shown, read at the places
// its fields have from the end: the fields readFields() would give. False for any other line.
bool readWrittenRecord(std::string_view line, RecordFields& r) {
    const size_t n = line.size();
    const char* const p = line.data();
    // The smallest: "","MM/DD","H:MM","出".
    if (n < 22 || p[0] != '"') return false;
    const std::string_view kind(p + n - 3, 2);
    const bool arrival = kind == kArrivalBytes;
    if (!arrival && kind != kLeavingBytes) return false;
    char padded[24];
    const char* tail = p + n - 24;
    if (n < 24) {
        std::memset(padded, '?', sizeof padded);
        std::memcpy(padded + 24 - n, p, n);
        tail = padded;
    }
    const TailShape& shape = tail[13] == '"' ? kShortTime : kLongTime;
    const size_t name = n - shape.date - 4;
    // The name runs to the first quote: none may lie in it, nor a control character, which
    // makes it no teacher's. More than 16 bytes follow it.
    if (name == 0 || !hasShape(tail, shape) || holdsQuoteOrControl(p + 1, name)) return false;
    const char* d = p + n - shape.date;
    r.name = {p + 1, name};
    r.time = {d + 8, shape.date - 14};
    r.monthDay = ((d[0] - '0') * 10 + (d[1] - '0')) * 100 + (d[3] - '0') * 10 + (d[4] - '0');
    r.arrival = arrival;
    return true;
}

// Any other line, by the files' rules.
[[gnu::noinline]] RecordFields readOtherRecord(std::string_view line) {
    std::string_view f[kRecordFields];
    RecordFields r;
    if (line.empty() || readFields(line, f, kRecordFields) != kRecordFields) return r;
    r.arrival = f[3] == kArrivalBytes;
    if (r.arrival || f[3] == kLeavingBytes) r.monthDay = parseMonthDay(f[1]);
    r.name = f[0];
    r.time = f[2];
    return r;
}

} // namespace

namespace {

// Whether month * 100 + day is a day of some year.
constexpr auto kMonthDays = [] {
    std::array<bool, 1232> valid{};
    for (int m = 1; m <= 12; ++m)
        for (int d = 1; d <= 31; ++d) valid[size_t(m * 100 + d)] = validDay(2000, m, d);
    return valid;
}();

// Half a year: the dates jump forward by more than this, walking back, only at New Year.
constexpr int64_t kHalfYear = 183;
// How far ahead of the records before it the file's last record may lie and still give the
// year (a New Year's holiday); further, when it lies past the bound only in their year, it is a
// clock set ahead.
constexpr int64_t kLastAhead = 14;

int monthDayOf(int64_t day) {
    const QDate date = QDate::fromJulianDay(day);
    return date.month() * 100 + date.day();
}

} // namespace

RecordDater::RecordDater(int64_t bound, bool lastYear) : bound_(bound), lastYear_(lastYear) {}

// The year and the month and day of `level`, kept: most records are dated by one level.
void RecordDater::split(int64_t level) const {
    if (level == split_.day) return;
    const QDate date = QDate::fromJulianDay(level);
    split_ = {level, date.year(), date.month() * 100 + date.day()};
}

// The latest day with the month and day not after `level`, within the year before it; -1 when
// there is none (02/29 of a year that has none).
int64_t RecordDater::dayBefore(int monthDay, int64_t level) const {
    split(level);
    const int year = monthDay <= split_.monthDay ? split_.year : split_.year - 1;
    return validDay(year, monthDay / 100, monthDay % 100)
               ? julianDay(year, monthDay / 100, monthDay % 100)
               : -1;
}

// The day with the month and day nearest to `level`, not after the bound; a day ahead only
// within half a year.
int64_t RecordDater::nearest(int monthDay, int64_t level) const {
    // A record out of place holds a run of others in the slow lane: their day once.
    if (monthDay == nearest_.monthDay && level == nearest_.level) return nearest_.day;
    nearest_ = {monthDay, level, nearestDay(monthDay, level)};
    return nearest_.day;
}

int64_t RecordDater::nearestDay(int monthDay, int64_t level) const {
    const int64_t before = dayBefore(monthDay, level);
    const int year = monthDay > split_.monthDay ? split_.year : split_.year + 1;
    if (validDay(year, monthDay / 100, monthDay % 100)) {
        const int64_t after = julianDay(year, monthDay / 100, monthDay % 100);
        if (after <= bound_ && after - level <= kHalfYear &&
            (before < 0 || after - level < level - before))
            return after;
    }
    return before;
}

// Where the records held after the one at hand lie, by `level`: the latest of them not ahead
// of it, since any may have been written late; when all are ahead (a gap, or a clock set ahead
// for a while), the upper middle of their days, if they are enough to tell. Else -1.
int64_t RecordDater::placeOfOthers(int64_t level) const {
    std::array<int64_t, kAround> days{};
    size_t n = 0;
    int64_t latest = -1;
    int monthDay = -1;
    int64_t day = -1;
    for (size_t i = 1; i < held_ && n < kAround; ++i) {
        // Mostly one day's records: its day once.
        const int next = ring_[(first_ + i) % ring_.size()].monthDay;
        if (next != monthDay) day = nearest(monthDay = next, level);
        if (day < 0) continue;
        days[n++] = day;
        if (day <= level + 1) latest = std::max(latest, day);
    }
    if (latest >= 0 || n <= kAround / 2) return latest;
    std::sort(days.begin(), days.begin() + ptrdiff_t(n));
    return days[n / 2];
}

inline void RecordDater::take(std::string_view line, int64_t from, int64_t to,
                              std::vector<DatedRecord>& records) {
    RecordFields r;
    // Kept out of memory: a field stored and read back whole costs a stall on every line.
    if (!readWrittenRecord(line, r)) {
        r = readOtherRecord(line);
        if (!isShowableName(r.name)) r.monthDay = -1;
    }
    if (r.monthDay < 0 || r.monthDay >= int(kMonthDays.size()) || !kMonthDays[size_t(r.monthDay)]) {
        if (!line.empty()) ++skipped_;
        return;
    }
    const size_t last = (first_ + held_ - 1) % ring_.size();
    const bool run = held_ > 0 && ring_[last].monthDay == r.monthDay;
    if (started_ && r.monthDay == levelMonthDay_ && (held_ == 0 || (run && sameRun_ >= held_))) {
        // A record of the level's day, with only such records held: whatever comes before
        // them, each takes that day and is in place. Decided at once.
        while (held_ > 0) decide(from, to, records);
        if (level_ >= from && level_ <= to)
            records.push_back({r.name, r.time, level_, r.arrival, line});
        afterArrival_ = r.arrival;
        afterName_ = r.name;
        afterDay_ = level_;
        return;
    }
    sameRun_ = run ? sameRun_ + 1 : 1;
    Pending& p = ring_[(first_ + held_) % ring_.size()];
    p.name = r.name;
    p.time = r.time;
    p.line = line;
    p.monthDay = r.monthDay;
    p.arrival = r.arrival;
    ++held_;
    if (held_ > kAround) decide(from, to, records);
}

// The level from the last records: the latest of the last one and those before it, but for
// a last one written late, or set ahead past the bound while the others could lie a year later.
void RecordDater::start() {
    const int monthDay = ring_[first_].monthDay;
    int64_t last = dayBefore(monthDay, bound_);
    if (last < 0) last = dayBefore(monthDay - 1, bound_) + 1; // 02/29
    const int64_t others = placeOfOthers(last);
    int64_t latest = std::max(last, others);
    if (others >= 0 && (last < others - 1 || (!lastYear_ && last > others + kLastAhead &&
                                              dayBefore(monthDayOf(others), bound_) > others)))
        latest = others;
    int64_t level = dayBefore(monthDayOf(latest), bound_);
    if (level < 0) level = dayBefore(monthDayOf(latest) - 1, bound_);
    started_ = true;
    level_ = newest_ = level;
    levelMonthDay_ = monthDayOf(level);
}

void RecordDater::decide(int64_t from, int64_t to, std::vector<DatedRecord>& records) {
    if (!started_) start();
    const Pending& x = ring_[first_];
    int64_t day = -1;
    bool inPlace = true;
    if (sameRun_ >= held_) {
        // A run of one day with its neighbours: in place.
        day = x.monthDay == levelMonthDay_ ? level_ : nearest(x.monthDay, level_);
    } else {
        day = nearest(x.monthDay, level_);
        const int64_t place = placeOfOthers(level_);
        const int64_t others = place < 0 ? day : place;
        if (day >= 0 && !x.arrival && day > level_ + 1 && day > others + 1)
            day = dayBefore(x.monthDay, level_);
        if (day >= 0) {
            // Out of the span of its neighbours on both sides, which may jump forward
            // between them (a clock set ahead, a gap).
            const int64_t off =
                std::max(std::min(level_, others) - day, day - std::max(level_, others));
            inPlace = off <= 1;
            const bool pair = !x.arrival && afterArrival_ && afterName_ == x.name;
            if (!inPlace && !(pair && day <= afterDay_))
                doubtful_.push_back(
                    {QByteArray(x.line.data(), qsizetype(x.line.size())), day, !x.arrival});
        }
    }
    if (day < 0) {
        ++skipped_;
    } else {
        if (inPlace && day != level_) {
            level_ = day;
            levelMonthDay_ = x.monthDay;
        }
        if (day >= from && day <= to) records.push_back({x.name, x.time, day, x.arrival, x.line});
        afterArrival_ = x.arrival;
        afterName_ = x.name;
        afterDay_ = day;
    }
    first_ = (first_ + 1) % ring_.size();
    --held_;
    sameRun_ = std::min(sameRun_, held_);
}

void RecordDater::dateLines(const std::vector<std::string_view>& lines, int64_t lowestBound,
                            int64_t from, int64_t to, std::vector<DatedRecord>& records) {
    records.clear();
    for (auto line = lines.begin(); line != lines.end() && bound() >= lowestBound; ++line)
        take(*line, from, to, records);
    keepLines();
}

void RecordDater::finish(int64_t from, int64_t to, std::vector<DatedRecord>& records) {
    records.clear();
    while (held_ > 0) decide(from, to, records);
}

// The lines held and the name after them copied, before the caller's lines go. Into the
// copies' other half: the records handed on from the last copies stay valid until the next
// call.
void RecordDater::keepLines() {
    generation_ ^= 1;
    for (size_t i = 0; i < held_; ++i) {
        Pending& p = ring_[(first_ + i) % ring_.size()];
        std::string& copy = p.owned[generation_];
        const auto offset = [&](std::string_view part) {
            return size_t(part.data() - p.line.data());
        };
        const size_t name = offset(p.name), time = offset(p.time);
        copy.assign(p.line);
        p.line = copy;
        p.name = p.line.substr(name, p.name.size());
        p.time = p.line.substr(time, p.time.size());
    }
    if (afterName_.data() != afterNameCopy_.data()) {
        afterNameCopy_.assign(afterName_);
        afterName_ = afterNameCopy_;
    }
}

} // namespace velmora
