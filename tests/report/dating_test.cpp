// The year of each record, through tables of files with the dates their lines truly had.

#include "report/records.h"
#include "report/report.h"
#include "storage/backwardlines.h"
#include "storage/fields.h"
#include "support/print.h"

#include <QDate>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

// A file in words, each one line: [出]MM/DD[b|c][=YYYY][!|-] a leaving (出: an arrival) of A
// (b: B, c: C) truly in that year (else the row's), named for the office to check (!) or
// skipped (-); MM/DD..MM/DD[b|c][=YYYY] an arrival and a leaving a day from the one to the
// other, over New Year if need be; x a line of two fields, ~ one cut short, ? a nameless line,
// ^ a name with a control character, _ a blank line.
struct File {
    QByteArray bytes;
    QStringList expected;   // the records' true dates in file order, "!" after one named
    QByteArrayList records; // their lines
    int skipped = 0;
};

File fileOf(const char* words, int year) {
    static const QRegularExpression word(
        u"^(出)?(\\d\\d/\\d\\d)(?:\\.\\.(\\d\\d/\\d\\d))?([bc]?)(?:=(\\d{4}))?([!-]?)$"_qs);
    File file;
    auto line = [&](const QByteArray& name, QDate day, bool arrival, const QString& mark) {
        const QByteArray text =
            quotedLine({name, day.toString(u"MM/dd"_qs).toLatin1(), arrival ? "8:00" : "17:00",
                        arrival ? "\x8f\x6f" : "\x91\xde"});
        file.bytes += text;
        if (mark == u"-") {
            ++file.skipped;
        } else {
            file.expected << day.toString(Qt::ISODate) + mark;
            file.records << text.chopped(2);
        }
    };
    for (const QString& w : QString::fromUtf8(words).split(u' ')) {
        const char* other = w == u"x"   ? "\"A\",\"01/01\"\r\n"
                            : w == u"~" ? "\"A\",\"05/2\r\n"
                            : w == u"?" ? "\"\",\"03/05\",\"9:00\",\"\x8f\x6f\"\r\n"
                            : w == u"^" ? "\"A\x1b\",\"03/05\",\"9:00\",\"\x8f\x6f\"\r\n"
                            : w == u"_" ? "\r\n"
                                        : nullptr;
        if (other) {
            file.bytes += other;
            file.skipped += w != u"_";
            continue;
        }
        const auto m = word.match(w);
        EXPECT_TRUE(m.hasMatch()) << qPrintable(w);
        const QByteArray name = m.captured(4).isEmpty() ? "A" : m.captured(4).toUpper().toLatin1();
        const int y = m.captured(5).isEmpty() ? year : m.captured(5).toInt();
        QDate day = QDate::fromString(QString::number(y) + m.captured(2), u"yyyyMM/dd"_qs);
        if (!day.isValid()) day = QDate(y, 2, 29); // in no year: skipped
        if (m.captured(3).isEmpty()) {
            line(name, day, !m.captured(1).isEmpty(), m.captured(6));
            continue;
        }
        for (;; day = day.addDays(1)) {
            line(name, day, true, {});
            line(name, day, false, {});
            if (day.toString(u"MM/dd"_qs) == m.captured(3)) break;
        }
    }
    return file;
}

struct DatingCase {
    const char* what;
    const char* bound; // the file's modification day; a year: the last record's
    int year;          // of the records without one
    const char* lines;
};

// clang-format off
const DatingCase kDating[] = {
    {"New Year",                  "2026", 2025, "12/30 12/31 01/04=2026 01/05=2026"},
    {"a day back at the end",     "2026-07-31", 2026, "07/01..07/31 07/30b"},
    {"a day back in the middle",  "2027-01-04", 2026, "07/01..07/15 07/14b 07/15..07/31 12/27..01/03 01/04=2027"},
    {"a month-ahead morning",     "2027-01-02", 2026, "06/01..06/15 出07/16b! 出07/16c! 06/16..07/31 12/29..01/02"},
    {"a month-ahead morning at the end, past the bound", "2026-07-31", 2026,
     "07/01..07/30 出08/30=2025!"},
    {"two PCs around midnight",   "2026-07-20", 2026, "07/10..07/14 07/15b 07/14c 出07/15b 07/15..07/20"},
    {"a nameless line",           "2025-06-01", 2025, "出05/22 05/22 ? 出05/28 05/28"},
    {"garbled lines",             "2026-11-30", 2026, "11/30 x 13/01- ^ 02/30-"},
    {"a leaving 320 days late",   "2026-09-10", 2025,
     "出08/28 08/29..07/13b 08/28 _ 出07/14=2026 07/14=2026 07/15..09/10b=2026"},
    {"the same, not as a pair",   "2027-01-03", 2025,
     "出08/28 08/29..07/13b 08/28! ~ 出07/14b=2026 07/14..01/03=2026"},
    {"two late leavings side by side", "2027-01-04", 2026,
     "出04/01 出04/01c 04/01..07/10b 04/01! 04/01c! 出07/11 出07/11c 07/11..01/04b"},
    {"a late pair with a blank, a cut and an unreadable line between", "2026-07-02", 2026,
     "出05/01 05/02..06/30b 05/01 _ ~ x 出07/01 07/01"},
    {"a leaving a day late, the file going on", "2026-09-03", 2026,
     "出07/01 出07/02b 07/01 07/02b 07/03..09/03b"},
    {"a leaving late without its arrival", "2026-12-31", 2026, "出04/10 07/13b 04/10! 出07/14b 出07/15"},
    {"a late pair",               "2026", 2025, "出09/30 12/20b 09/30 出01/05=2026"},
    {"a record out of order",     "2026-12-31", 2026, "06/20 06/21 06/18! 08/25"},
    {"a gap",                     "2026-12-31", 2026, "03/19 04/06 07/18 08/25"},
    {"runs out of order",         "2026-12-31", 2026, "06/20 06/18! 06/18! 08/25"},
    {"a clock set back",          "2026-12-31", 2026, "07/20b 07/20 出07/15! 08/01"},
    {"a pair before a run",       "2026-12-31", 2026, "出04/12 04/10b 出07/15b 出07/15"},
    {"a leap day",                "2024-12-31", 2024, "02/28 02/29 03/01"},
    {"no leap day",               "2025-12-31", 2025, "02/28 02/29- 03/01"},
    {"a leap day the year before","2025-12-31", 2024, "02/29 12/31 01/02=2025"},
};
// clang-format on

TEST(Dating, GivesTheDatesTheLinesTrulyHad) {
    for (const DatingCase& c : kDating) {
        const File file = fileOf(c.lines, c.year);
        BackwardLineReader lines(view(file.bytes));
        const bool lastYear = QByteArray(c.bound).size() == 4;
        RecordDater dater(lastYear ? julianDay(atoi(c.bound), 12, 31)
                                   : QDate::fromString(c.bound, Qt::ISODate).toJulianDay(),
                          lastYear);
        std::vector<DatedRecord> dated;
        QStringList got;
        const auto take = [&] {
            for (const DatedRecord& r : dated)
                got.prepend(QDate::fromJulianDay(r.day).toString(Qt::ISODate));
        };
        for (std::vector<std::string_view> some; lines.previousLines(some); take())
            dater.dateLines(some, INT64_MIN, INT64_MIN, INT64_MAX, dated);
        dater.finish(INT64_MIN, INT64_MAX, dated);
        take();
        QByteArrayList named;
        for (const DoubtfulLine& d : dater.doubtful()) named << d.line;
        for (qsizetype i = 0; i < got.size() && i < file.records.size(); ++i)
            if (named.removeOne(file.records[i])) got[i] += u'!';
        EXPECT_EQ(got, file.expected) << c.what;
        EXPECT_EQ(dater.skipped(), file.skipped) << c.what;
    }
}

} // namespace
