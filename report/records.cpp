#include "report/records.h"

#include <QDate>

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

// Whether the field is these two bytes, without a library call.
bool isKind(std::string_view field, const char (&bytes)[3]) {
    return field.size() == 2 && field[0] == bytes[0] && field[1] == bytes[1];
}

// "出" and "退" in CP932.
constexpr char kArrivalBytes[3] = "\x8f\x6f";
constexpr char kLeavingBytes[3] = "\x91\xde";

} // namespace

void splitLines(std::string_view data, std::vector<LineFields>& out) {
    // readFields()'s rules (common/fields.h) in plain loops that also stop at the line's
    // end: the fields are a few bytes long, and a library call for each costs more than it
    // saves.
    const char* p = data.data();
    const char* const end = p + data.size();
    auto lineEnd = [](char c) { return c == '\r' || c == '\n'; };
    while (p < end) {
        LineFields line;
        bool more = !lineEnd(*p); // a blank line has no fields
        while (more) {
            while (p < end && *p == ' ') ++p;
            const char* start = p;
            const char* stop;
            if (p < end && *p == '"') {
                start = ++p;
                while (p < end && *p != '"' && !lineEnd(*p)) ++p;
                stop = p;
                while (p < end && *p != ',' && !lineEnd(*p)) ++p;
            } else {
                while (p < end && *p != ',' && !lineEnd(*p)) ++p;
                stop = p;
                while (stop > start && stop[-1] == ' ') --stop;
            }
            if (line.count < 4) line.fields[line.count] = {start, size_t(stop - start)};
            ++line.count;
            more = p < end && *p == ',';
            p += more;
        }
        if (line.count > 0) out.push_back(line);
        // Past the line end: CR LF, a lone CR or a lone LF.
        if (p < end && *p == '\r') ++p;
        if (p < end && *p == '\n') ++p;
    }
}

bool RecordDater::date(const LineFields& line, DatedRecord& record) {
    if (line.count < 4) {
        ++skipped_;
        return false;
    }
    const std::string_view* f = line.fields;
    const int monthDay = parseMonthDay(f[1]);
    const bool arrival = isKind(f[3], kArrivalBytes);
    const int month = monthDay / 100, day = monthDay % 100;
    const int year = !started_                    ? lastYear_
                     : monthDay <= boundMonthDay_ ? boundYear_
                                                  : boundYear_ - 1;
    if (monthDay < 0 || (!arrival && !isKind(f[3], kLeavingBytes)) || !validDay(year, month, day)) {
        ++skipped_;
        return false;
    }
    // Records come in runs of one day.
    if (monthDay != lastMonthDay_ || year != lastDayYear_) {
        lastMonthDay_ = monthDay;
        lastDayYear_ = year;
        lastDay_ = julianDay(year, month, day);
    }
    const int64_t jd = lastDay_;
    // The record may itself be late: the lines before it were written up to kLateWindow
    // days after its date.
    if (!started_ || bound_ - jd > kLateWindow) {
        bound_ = started_ ? jd + kLateWindow : jd;
        started_ = true;
        const QDate b = QDate::fromJulianDay(bound_);
        boundYear_ = b.year();
        boundMonthDay_ = b.month() * 100 + b.day();
    }
    record = {f[0], f[2], jd, arrival};
    return true;
}

DatedFile dateRecords(std::string_view bytes, int lastYear) {
    DatedFile out;
    RecordDater dater(lastYear);
    std::vector<LineFields> lines;
    splitLines(bytes, lines);
    DatedRecord record;
    for (auto line = lines.rbegin(); line != lines.rend(); ++line)
        if (dater.date(*line, record)) out.records.push_back(record);
    out.skipped = dater.skipped();
    return out;
}

} // namespace velmora
