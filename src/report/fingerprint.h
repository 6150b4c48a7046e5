#pragma once
// A day's fingerprint: SHA-256 over a canonical text of everything its figures came from, so
// that a change to any of it shows, and nothing else does. The text, in UTF-8, each item a line
// ending in LF:
//   velmora-day 1
//   name <the teacher's name>
//   date <YYYY-MM-DD>
//   rules <regular minutes of the run> <break minutes> <1 when a day off of the run, else 0>
//   card <the line's bytes in lower-case hex>          each card line of the person and date,
//                                                       by file name, then in the file's order
//   entry <the 申告.dat line, in UTF-8>                each entry of the person and date, in
//   cancelled <its cancellation's line>                 the file's order (the second when
//                                                       cancelled)
//   staff <氏名,月,火,水,木,金,開始日,終了日>          each staff line applying that day
//   calendar <日付,勤務時間,名称>                       the calendar's line of the date
// The month's: SHA-256 over "velmora-month 1\nname <name>\n", then each day's fingerprint
// (64 hex) and LF in date order. Both as 64 lower-case hex characters.

#include "ledger/ledger.h"
#include "report/month.h"

#include <QDate>
#include <QList>
#include <QString>
#include <string>
#include <vector>

namespace velmora {

// A card line of the month as read, kept for the fingerprints.
struct CardLine {
    int teacher;
    int32_t day;   // Julian day
    int file;      // the file's rank by name
    int64_t place; // rising through the file
    std::string bytes;
};
// By teacher, day, file and place: each person's lines of a day in one run, in file order.
void sortCardLines(std::vector<CardLine>& lines);

struct DaySources {
    const QString& name;
    QDate date;
    const CardLine* firstLine; // the day's card lines, [first, last)
    const CardLine* lastLine;
    const QList<EntryState>& entries;
    const WorkRules& rules;
};
QString dayFingerprint(const DaySources& sources);
QString monthFingerprint(const QString& name, const QList<Day>& days);

} // namespace velmora
