#include "report/daysoff.h"

#include "storage/datafiles.h"
#include "storage/osfile.h"
#include "texts/texts.h"

namespace velmora {

QSet<QDate> readDaysOff(const QString& path) {
    auto file = OsFile::open(path, path, OsFile::Access::Read);
    if (!file) throw Failure(texts::kMissingFile.arg(path));
    BackwardLineReader lines = linesFromEnd(std::make_shared<const OsFile>(std::move(*file)));
    QSet<QDate> days;
    // Read from the end, a line's number is known only at the start: the first bad line is
    // the last one met, kept with its number from the end. A line too long to be read is
    // bad too, and counts among the lines.
    qint64 fromEnd = 0, badFromEnd = -1;
    QString bad;
    std::string_view bytes;
    qint64 longSeen = 0;
    const auto countLong = [&] {
        const qint64 more = lines.longLinesPassed() - longSeen;
        longSeen += more;
        if (more == 0) return;
        fromEnd += more;
        badFromEnd = fromEnd;
        bad.clear();
    };
    while (lines.previous(bytes)) {
        countLong();
        ++fromEnd;
        const QString line = QString::fromUtf8(bytes.data(), qsizetype(bytes.size())).trimmed();
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        const QDate day = QDate::fromString(line, QStringLiteral("yyyy-MM-dd"));
        if (day.isValid()) {
            days.insert(day);
        } else {
            badFromEnd = fromEnd;
            bad = line;
        }
    }
    countLong();
    if (badFromEnd < 0) return days;
    // One arg() for all: a path holding "%2" is not substituted into.
    const QString number = QString::number(fromEnd - badFromEnd + 1);
    throw Failure(bad.isEmpty() ? texts::kDayOffTooLong.arg(path, number)
                                : texts::kBadDayOff.arg(path, number, bad));
}

} // namespace velmora
