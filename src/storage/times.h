#pragma once
// The times and dates the files hold and the programs show: "H:MM", "yyyy-MM-dd" and an
// entry's "yyyy-MM-dd HH:mm", each read by one parser and written by one formatter, so that
// what one program writes the others read the same.

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <optional>
#include <string_view>

namespace velmora {

// What a reader of "H:MM" (one or two hour digits, a colon, two minute digits) takes beside.
struct TimeRule {
    enum Seconds { NoSeconds, ZeroSeconds, AnySeconds };
    // ZeroSeconds takes Excel's "7:45:00" and refuses "7:45:30", which a whole minute would
    // silently cut; AnySeconds is the clock's own "H:MM:SS", cut to its minute.
    Seconds seconds = NoSeconds;
    bool wide = false;    // full-width digits and colon, as a Japanese input method leaves them
    bool spaces = false;  // spaces around dropped
    int latest = 24 * 60; // a leaving at midnight is 24:00 of its day
};

// The school's files and the window's boxes: what Excel saves and a person types ("7:45",
// "07:45", "7:45:00", full-width digits, spaces around).
inline constexpr TimeRule kFileTime{.seconds = TimeRule::ZeroSeconds, .wide = true, .spaces = true};

// Minutes from 0:00 by `rule`; nothing for any other text.
std::optional<int> parseTime(QStringView text, TimeRule rule = {});
// The same on a record's bytes, without a copy (`wide` and `spaces` mean nothing there).
std::optional<int> parseTime(std::string_view text, TimeRule rule = {});

// "7:45" ("07:45" for two hour digits); hours run past 24 in a sum; "" for no time (-1).
QString timeText(int minutes, int hourDigits = 1);
// "8:30〜17:00", a side left blank without its time; "" when neither has one.
QString spanText(int start, int end);

// "2026-04-01" or "2026/4/1" (full-width digits too), 2000 to 2099.
std::optional<QDate> parseDate(QStringView text);
QString dateText(QDate date); // "2026-04-01"; "" for an invalid date

// "2026-07-09 10:12" or "2026/7/9 10:12", a wall-clock time before 24:00 of no zone.
std::optional<QDateTime> parseWritten(QStringView text);
QString writtenText(const QDateTime& written); // "2026-07-09 10:12"

} // namespace velmora
