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
    // the last one met, kept with its number from the end.
    qsizetype fromEnd = 0, badFromEnd = -1;
    QString bad;
    std::string_view bytes;
    while (lines.previous(bytes)) {
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
    if (badFromEnd >= 0)
        throw Failure(texts::kBadDayOff.arg(path).arg(fromEnd - badFromEnd + 1).arg(bad));
    return days;
}

} // namespace velmora
