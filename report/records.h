#pragma once
// Reading the record files: the records with their years, which the files do not hold.
//
// A file is appended to in the order the records were written, so the dates only move
// forward, apart from the wrap at New Year and a leaving the terminal writes late (a
// forgotten one, just before the next arrival, days or weeks after its date). Walking back
// from the last record, whose year is known, each record takes the latest date with its
// month and day that is not after a bound: a day no record before it can be dated after.
// A record at most kLateWindow days behind the bound leaves it (it may be a late leaving,
// and the records before it were written after its date); one further behind moves the
// bound to its date plus kLateWindow, since it too may be late.

#include <cstdint>
#include <string_view>
#include <vector>

namespace velmora {

inline constexpr int kLateWindow = 62;

struct DatedRecord {
    std::string_view name; // CP932, into the file's bytes
    std::string_view time; // as written
    int64_t day;           // Julian day
    bool arrival;
};

// A line's first four fields (CP932, into the data) and how many it has.
struct LineFields {
    std::string_view fields[4];
    size_t count = 0;
};

// Appends the lines of the data (ended by CR LF, CR or LF) with their fields, as readFields()
// reads them; blank lines are left out.
void splitLines(std::string_view data, std::vector<LineFields>& out);

// Dates the records of one file, given from its last line to its first.
class RecordDater {
public:
    explicit RecordDater(int lastYear) : lastYear_(lastYear) {}
    // The line's record with its date (its texts point into the line); false for a line
    // the terminal would skip: fewer than 4 fields, no such date, an unknown kind. Those are
    // counted.
    bool date(const LineFields& line, DatedRecord& record);
    // No record of the lines before those given is dated after this day.
    int64_t bound() const { return started_ ? bound_ : INT64_MAX; }
    int skipped() const { return skipped_; }

private:
    int lastYear_;
    bool started_ = false;
    int64_t bound_ = 0;
    int boundYear_ = 0, boundMonthDay_ = 0;
    int skipped_ = 0;
    int lastMonthDay_ = -1, lastDayYear_ = 0;
    int64_t lastDay_ = 0;
};

struct DatedFile {
    std::vector<DatedRecord> records; // from the last record to the first
    int skipped = 0;
};

// All the records of the bytes at hand.
DatedFile dateRecords(std::string_view bytes, int lastYear);

// "H:MM" or "HH:MM" (up to 24:00) in minutes; -1 for anything else.
int parseClock(std::string_view text);

// The Julian day of a date (as QDate::toJulianDay, without its checks).
int64_t julianDay(int year, int month, int day);

} // namespace velmora
