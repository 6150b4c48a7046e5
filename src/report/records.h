#pragma once
// The records of a file with their years, which the file does not hold.
//
// A file is appended to in the order the records were written, and a record is written on
// its day, so walking back from the last line the dates only go back, wrapping at New Year.
// Each record takes the latest day with its month and day that is not after a bound, a day
// no record before it can lie after; the last record's bound is the file's modification day
// (or the last day of the year given).
//
// One record is written late: a forgotten leaving, which the terminal writes just before
// the same person's next arrival, however many days later. A leaving directly followed by
// an arrival of the same name is that pair: it takes the latest day not after the arrival,
// and the bound is left as it is.
//
// A leaving may also be late without that shape (another PC's line came between the two
// appends of the pair, on a shared file), and a terminal's clock may be a little off. So the
// bound, once the last record has set it to its day, stays where it is for a record up to
// kLateWindow days behind it, and an arrival further behind moves it to its date plus
// kLateWindow. A leaving further behind is either such a lone late leaving or one followed by
// a long gap, which the record before it tells: when that one lies after the leaving, the
// leaving was late, the bound stays and the line is kept as doubtful, to be named in a
// warning; otherwise the bound moves as for an arrival. No other record moves for it.

#include <QByteArray>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

inline constexpr int kLateWindow = 62;

struct DatedRecord {
    std::string_view name; // CP932, into the line
    std::string_view time; // as written
    int64_t day;           // Julian day
    bool arrival;
};

// A leaving whose day rests on an assumption: that it was written late.
struct DoubtfulLine {
    QByteArray line; // CP932
    int64_t day;
};

// Dates the records of one file, given its lines from the last to the first.
class RecordDater {
public:
    // `bound`: the latest day the file's last record can have.
    explicit RecordDater(int64_t bound);
    // The line's record with its day (its texts point into the line); false for a line the
    // report skips: a blank one, or one with fewer than 4 fields, no such date, an unknown
    // kind. All but blank ones are counted.
    bool date(std::string_view line, DatedRecord& record);
    // date() for each of `lines` in turn, while bound() is not below `lowestBound`; the
    // records dated from `from` to `to` replace those in `records`. A block's lines in one
    // call: most lie outside a month's days and cost no more than their dating.
    void dateLines(const std::vector<std::string_view>& lines, int64_t lowestBound, int64_t from,
                   int64_t to, std::vector<DatedRecord>& records);
    // No record of the lines before those given lies after this day.
    int64_t bound() const { return bound_; }
    int skipped() const { return skipped_; }
    // Lines dated as lone late leavings, in the order met.
    const std::vector<DoubtfulLine>& doubtful() const { return doubtful_; }

private:
    struct Limit {
        int64_t day = -1;
        int year = 0, monthDay = 0;
    };
    static void setLimit(Limit& limit, int64_t day);
    int64_t dayBefore(int monthDay, const Limit& limit);
    void resolvePending(int64_t day);
    bool dateLine(std::string_view line, DatedRecord& record);
    void keepAfterName();
    int64_t dateAfresh(std::string_view name, int monthDay, bool arrival, bool afterArrival,
                       std::string_view line);

    int64_t bound_;
    Limit limit_; // bound_ with its year and month * 100 + day
    bool started_ = false;
    int skipped_ = 0;
    // The record after the line at hand, when it is an arrival: a leaving may pair with it.
    bool afterArrival_ = false;
    // Its name, in its line while the lines given are at hand, and copied before they go:
    // the reader keeps no line once it moves on.
    std::string_view afterName_;
    std::string afterNameCopy_;
    Limit afterDay_;
    // A leaving far behind the bound, until the record before it tells whether it was late.
    bool pending_ = false;
    DoubtfulLine pendingLine_;
    std::vector<DoubtfulLine> doubtful_;
    // The last day computed: records come in runs of one day.
    int lastMonthDay_ = -1, lastYear_ = 0;
    int64_t lastDay_ = 0;
    // The run of one day the last record began or went on, while nothing is in doubt: a
    // record of its month and day after it takes its day and moves no bound.
    int runMonthDay_ = -1;
    int64_t runDay_ = 0;
};

// Whether a record's name can be shown: not empty, and without a control character, which no
// cell or sheet could hold (CP932's trail bytes are never one). A record of another name is
// skipped where it would be counted; it still dates the records before it.
bool isShowableName(std::string_view name);

// "H:MM" or "HH:MM" (up to 24:00) in minutes; -1 for anything else.
int parseClock(std::string_view text);

// The Julian day of a date (as QDate::toJulianDay, without its checks).
int64_t julianDay(int year, int month, int day);

} // namespace velmora
