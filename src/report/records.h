#pragma once
// The records of a file with their years, which the file does not hold.
//
// A file is appended to in the order the records were written, so walking back from its last
// line the dates go back, wrapping at New Year. Not always: a forgotten leaving is written
// late, a terminal's clock is set back or ahead, two PCs append to one shared file. So a
// record takes the day with its month and day that lies nearest to the level of the records
// after it (the year changes where the dates jump forward by more than half a year), and
// whether it moves that level is decided by the records on both its sides: one that lies more
// than a day outside the run of its neighbours is out of place, counts on its own day and
// moves nothing; one that the records before it agree with is in place, also after a gap or a
// stretch of a clock set ahead. A leaving out of place ahead of its neighbours was written
// late (the terminal writes a forgotten one just before the same person's next arrival): it
// takes the latest day before them, within a year. Lines that are no teacher's take no part.
//
// The level starts from the latest of the last records in place, within the bound: the file's
// modification day, or the last day of the year given for the last record.

#include <QByteArray>
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

// How far ahead of the records around it a record is still looked for: the reading stops once
// the level lies further before the first day wanted.
inline constexpr int kLateWindow = 62;

struct DatedRecord {
    std::string_view name; // CP932, valid until the dater's next call
    std::string_view time; // as written
    int64_t day;           // Julian day
    bool arrival;
    std::string_view line; // the whole line's bytes, without its line end, valid alike
};

// A record more than a day out of its place, named for the office to check.
struct DoubtfulLine {
    QByteArray line; // CP932
    int64_t day;
    bool leaving; // a leaving taken as written late
};

// Dates the records of one file, given its lines from the last to the first. A record is
// decided once the few lines before it are seen.
class RecordDater {
public:
    // `bound`: the latest day the file's records can have; `lastYear`: it ends the year of the
    // last record, which cannot be a clock set ahead past it.
    explicit RecordDater(int64_t bound, bool lastYear = false);
    // Takes each of `lines` in turn while bound() is not below `lowestBound`; the records
    // decided meanwhile that lie from `from` to `to` replace those in `records`. A block's
    // lines in one call: most lie outside a month's days and cost no more than their dating.
    void dateLines(const std::vector<std::string_view>& lines, int64_t lowestBound, int64_t from,
                   int64_t to, std::vector<DatedRecord>& records);
    // At the start of the file, or where the reading stops: decides the records still held.
    void finish(int64_t from, int64_t to, std::vector<DatedRecord>& records);
    // The latest day a record of the lines not given yet can take, but for one more than
    // kLateWindow days ahead of its neighbours.
    int64_t bound() const { return started_ ? level_ + kLateWindow : bound_; }
    // The day the file's last records lie on; -1 before it is known.
    int64_t newest() const { return newest_; }
    // Lines skipped: not blank, yet no teacher's record.
    int skipped() const { return skipped_; }
    // Records more than a day out of their place, in the order met.
    const std::vector<DoubtfulLine>& doubtful() const { return doubtful_; }

private:
    // The records after the one decided: the neighbours on its earlier side.
    static constexpr size_t kAround = 5;
    struct Pending {
        std::string_view name, time, line;
        int monthDay = 0;
        bool arrival = false;
        std::string owned[2]; // the line once its block is gone, in turns
    };
    void take(std::string_view line, int64_t from, int64_t to, std::vector<DatedRecord>& records);
    void decide(int64_t from, int64_t to, std::vector<DatedRecord>& records);
    void start();
    int64_t placeOfOthers(int64_t level) const;
    int64_t nearest(int monthDay, int64_t level) const;
    int64_t nearestDay(int monthDay, int64_t level) const;
    int64_t dayBefore(int monthDay, int64_t level) const;
    void split(int64_t level) const;
    void keepLines();

    int64_t bound_;
    bool lastYear_;
    mutable struct {
        int64_t day = -1;
        int year = 0, monthDay = 0;
    } split_;
    mutable struct {
        int monthDay = -1;
        int64_t level = -1, day = -1;
    } nearest_;
    bool started_ = false;
    int64_t level_ = 0; // the day of the last record in place
    int levelMonthDay_ = -1;
    int64_t newest_ = -1;
    int skipped_ = 0;
    std::array<Pending, 8> ring_; // records read, not yet decided; a power of two
    size_t first_ = 0, held_ = 0;
    int generation_ = 0; // the half of the copies made last
    size_t sameRun_ = 0; // of the last records held, how many share the last one's month and day
    // The record decided last, for the pair of a forgotten leaving and its arrival.
    bool afterArrival_ = false;
    int64_t afterDay_ = 0;
    std::string_view afterName_;
    std::string afterNameCopy_;
    std::vector<DoubtfulLine> doubtful_;
};

// Whether a record's name can be shown: not empty, and without a control character, which no
// cell or sheet could hold (CP932's trail bytes are never one). A record of another name is
// skipped, and takes no part in the dating of the others.
bool isShowableName(std::string_view name);

// The Julian day of a date (as QDate::toJulianDay, without its checks).
int64_t julianDay(int year, int month, int day);

} // namespace velmora
