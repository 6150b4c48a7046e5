#include "report/records.h"

#include "records/recordfile.h"
#include "storage/fields.h"

#include <QDate>
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

int parseClock(std::string_view t) {
    auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (t.size() == 4) {
        if (!digit(t[0]) || t[1] != ':' || !digit(t[2]) || !digit(t[3])) return -1;
        const int m = (t[2] - '0') * 10 + (t[3] - '0');
        return m < 60 ? (t[0] - '0') * 60 + m : -1;
    }
    if (t.size() != 5 || !digit(t[0]) || !digit(t[1]) || t[2] != ':' || !digit(t[3]) ||
        !digit(t[4]))
        return -1;
    const int h = (t[0] - '0') * 10 + (t[1] - '0');
    const int m = (t[3] - '0') * 10 + (t[4] - '0');
    if (m >= 60 || h > 24 || (h == 24 && m != 0)) return -1;
    return h * 60 + m;
}

namespace {

bool leapYear(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

bool validDay(int year, int month, int day) {
    static const int lengths[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || day > lengths[month - 1]) return false;
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

// Whether the `n` bytes at `p` hold a double quote; 16 bytes from `p` must be readable.
bool holdsQuote(const char* p, size_t n) {
#ifdef __SSE2__
    if (n < 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const unsigned quotes = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('"'))));
        return (quotes & ((1u << n) - 1)) != 0;
    }
#endif
    return std::memchr(p, '"', n) != nullptr;
}

// What the report takes from a record line; no month and day (-1) for a line that is none.
struct RecordFields {
    std::string_view name, time;
    int monthDay = -1; // month * 100 + day
    bool arrival = false;
};

// A record line as the terminal writes it, read at the places its fields have from the end:
// the fields readFields() would give. False for any other line.
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
    // The name runs to the first quote: none may lie in it. The line is over 16 bytes long.
    if (!hasShape(tail, shape) || holdsQuote(p + 1, name)) return false;
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

RecordDater::RecordDater(int64_t bound) : bound_(bound) { setLimit(limit_, bound); }

void RecordDater::setLimit(Limit& limit, int64_t day) {
    const QDate date = QDate::fromJulianDay(day);
    limit = {day, date.year(), date.month() * 100 + date.day()};
}

// The latest day with the month and day that is not after the limit; -1 when there is none
// within the year before it (02/29 of a year that has none).
int64_t RecordDater::dayBefore(int monthDay, const Limit& limit) {
    const int year = monthDay <= limit.monthDay ? limit.year : limit.year - 1;
    if (monthDay == lastMonthDay_ && year == lastYear_) return lastDay_;
    if (!validDay(year, monthDay / 100, monthDay % 100)) return -1;
    lastMonthDay_ = monthDay;
    lastYear_ = year;
    lastDay_ = julianDay(year, monthDay / 100, monthDay % 100);
    return lastDay_;
}

void RecordDater::resolvePending(int64_t day) {
    pending_ = false;
    if (day > pendingLine_.day) {
        doubtful_.push_back(std::move(pendingLine_));
    } else {
        bound_ = pendingLine_.day + kLateWindow;
        setLimit(limit_, bound_);
    }
}

bool RecordDater::date(std::string_view line, DatedRecord& record) {
    const bool dated = dateLine(line, record);
    keepAfterName();
    return dated;
}

void RecordDater::dateLines(const std::vector<std::string_view>& lines, int64_t lowestBound,
                            int64_t from, int64_t to, std::vector<DatedRecord>& records) {
    records.clear();
    DatedRecord r;
    for (auto line = lines.begin(); line != lines.end() && bound_ >= lowestBound; ++line)
        if (dateLine(*line, r) && r.day >= from && r.day <= to) records.push_back(r);
    keepAfterName();
}

void RecordDater::keepAfterName() {
    if (!afterArrival_ || afterName_.data() == afterNameCopy_.data()) return;
    afterNameCopy_.assign(afterName_);
    afterName_ = afterNameCopy_;
}

inline bool RecordDater::dateLine(std::string_view line, DatedRecord& record) {
    const bool afterArrival = std::exchange(afterArrival_, false);
    RecordFields r;
    // Kept out of memory: a field stored and read back whole costs a stall on every line.
    if (!readWrittenRecord(line, r)) r = readOtherRecord(line);
    int64_t day = -1;
    if (r.monthDay >= 0 && r.monthDay == runMonthDay_) {
        // Within the late window of the run's day, with no leaving waiting to be judged: the
        // record takes the run's day, paired or not, and moves nothing.
        day = runDay_;
    } else {
        day = dateAfresh(r.name, r.monthDay, r.arrival, afterArrival, line);
        if (day < 0) {
            runMonthDay_ = -1;
            if (!line.empty()) ++skipped_;
            return false;
        }
    }
    if (r.arrival) {
        afterArrival_ = true;
        afterName_ = r.name;
        afterDay_ = {day, lastYear_, r.monthDay};
    }
    record.name = r.name;
    record.time = r.time;
    record.day = day;
    record.arrival = r.arrival;
    return true;
}

int64_t RecordDater::dateAfresh(std::string_view name, int monthDay, bool arrival,
                                bool afterArrival, std::string_view line) {
    const bool paired = monthDay >= 0 && !arrival && afterArrival && name == afterName_;
    const int64_t day = monthDay < 0 ? -1 : dayBefore(monthDay, paired ? afterDay_ : limit_);
    if (day < 0) return -1;
    if (!started_) {
        // The last record was written last: nothing before it lies after its day.
        started_ = true;
        bound_ = day;
        limit_ = {day, lastYear_, monthDay};
    } else if (!paired) {
        if (pending_) resolvePending(day);
        if (bound_ - day > kLateWindow) {
            if (arrival) {
                bound_ = day + kLateWindow;
                setLimit(limit_, bound_);
            } else {
                pending_ = true;
                pendingLine_ = {QByteArray(line.data(), qsizetype(line.size())), day};
            }
        }
    }
    runMonthDay_ = paired || pending_ ? -1 : monthDay;
    runDay_ = day;
    return day;
}

} // namespace velmora
