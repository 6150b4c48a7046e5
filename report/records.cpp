#include "report/records.h"

#include "attendance/recordfile.h"
#include "common/fields.h"

#include <QDate>
#include <cstdint>
#include <cstring>
#include <utility>

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

// Whether none of the 4 bytes at `p` is a double quote.
bool noQuoteIn4(const char* p) {
    uint32_t x;
    std::memcpy(&x, p, 4);
    x ^= 0x22222222u;
    return ((x - 0x01010101u) & ~x & 0x80808080u) == 0;
}

// A record line as the terminal writes it, "name","MM/DD","H:MM" or "HH:MM","出" or "退",
// read at the places its short fields have from the end: the fields readFields() would give,
// whether it is an arrival and month * 100 + day. False for any other line, which readFields()
// reads; `f` is then undefined. Every line of a file is read for a month of its first year.
bool writtenRecord(std::string_view line, std::string_view* f, bool& arrival, int& monthDay) {
    const size_t n = line.size();
    const char* const p = line.data();
    // The smallest: "","MM/DD","H:MM","出".
    if (n < 22 || p[0] != '"' || p[n - 1] != '"' || p[n - 4] != '"' || p[n - 5] != ',' ||
        p[n - 6] != '"' || !noQuoteIn4(p + n - 10))
        return false;
    const std::string_view kind = line.substr(n - 3, 2);
    const bool isArrival = kind == kArrivalBytes;
    if (!isArrival && kind != kLeavingBytes) return false;
    const size_t time = p[n - 11] == '"' ? n - 11 : p[n - 12] == '"' ? n - 12 : 0;
    if (time < 11 || p[time - 1] != ',' || p[time - 2] != '"' || p[time - 8] != '"' ||
        p[time - 9] != ',' || p[time - 10] != '"')
        return false;
    // The date's digits and slash hold no quote.
    const char* d = p + time - 7;
    auto digit = [](char c) { return unsigned(c - '0') <= 9; };
    if (d[2] != '/' || !digit(d[0]) || !digit(d[1]) || !digit(d[3]) || !digit(d[4])) return false;
    // The name runs to the first quote: none may lie in it.
    if (std::memchr(p + 1, '"', time - 11) != nullptr) return false;
    f[0] = {p + 1, time - 11};
    f[1] = {d, 5};
    f[2] = {p + time + 1, n - 7 - time};
    f[3] = kind;
    arrival = isArrival;
    monthDay = ((d[0] - '0') * 10 + (d[1] - '0')) * 100 + (d[3] - '0') * 10 + (d[4] - '0');
    return true;
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
    const bool afterArrival = std::exchange(afterArrival_, false);
    if (line.empty()) return false;
    std::string_view f[kRecordFields];
    int monthDay = -1;
    bool arrival = false;
    if (!writtenRecord(line, f, arrival, monthDay) &&
        readFields(line, f, kRecordFields) == kRecordFields) {
        arrival = f[3] == kArrivalBytes;
        if (arrival || f[3] == kLeavingBytes) monthDay = parseMonthDay(f[1]);
    }
    const bool paired = monthDay >= 0 && !arrival && afterArrival && f[0] == afterName_;
    const int64_t day = monthDay < 0 ? -1 : dayBefore(monthDay, paired ? afterDay_ : limit_);
    if (day < 0) {
        ++skipped_;
        return false;
    }
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
    if (arrival) {
        afterArrival_ = true;
        afterName_ = f[0];
        afterDay_ = {day, lastYear_, monthDay};
    }
    // Field by field: a whole new record built on the stack costs a stalled copy on every line.
    record.name = f[0];
    record.time = f[2];
    record.day = day;
    record.arrival = arrival;
    return true;
}

} // namespace velmora
