#include "ledger/ledger.h"

#include "ledger/csv.h"
#include "storage/datafiles.h"
#include "storage/names.h"
#include "storage/osfile.h"
#include "texts/texts.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QFile>
#include <QHash>

namespace velmora {

using namespace ledger;

// Reads 申告.dat a block at a time (entries.cpp).
QList<Entry> readEntries(const QDir& folder, std::optional<DateRange> dates,
                         QList<LedgerProblem>& problems);
// Reads 締め.dat (closings.cpp).
QList<Closing> readClosings(const QDir& folder, std::optional<DateRange> dates,
                            QList<LedgerProblem>& problems);

namespace {

// The lists are a few hundred lines; anything far larger is no file of ours.
constexpr qint64 kLargestFile = 16 * 1024 * 1024;
// Another PC's save takes milliseconds; a file of an earlier save older than this was left
// by one that was killed.
constexpr qint64 kLeftoverSeconds = 60;

const QStringList kStaffHeader = {QStringLiteral("氏名"),   QStringLiteral("月"),
                                  QStringLiteral("火"),     QStringLiteral("水"),
                                  QStringLiteral("木"),     QStringLiteral("金"),
                                  QStringLiteral("開始日"), QStringLiteral("終了日")};
const QStringList kCalendarHeader = {QStringLiteral("日付"), QStringLiteral("勤務時間"),
                                     QStringLiteral("名称")};

QByteArray hashOf(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// The file as it is now, its bytes in `bytes`; a file over the limit is read no further.
FileVersion versionOf(const QString& path, const QString& name, QByteArray* bytes = nullptr,
                      std::shared_ptr<const FileCalls> calls = nullptr) {
    const auto file = OsFile::open(path, name, OsFile::Access::Read, std::move(calls));
    if (!file) return {};
    FileVersion version{true, file->size(), file->modified(), {}};
    if (version.size > kLargestFile)
        throw Failure(texts::kCannotRead.arg(name, texts::kLedgerTooLarge));
    const QByteArray read = file->readAt(0, version.size);
    version.hash = hashOf(read);
    if (bytes) *bytes = read;
    return version;
}

// Each line holding anything, with its fields; the header skipped.
QList<ListLine> rawLines(const QByteArray& bytes, const QString& header, qsizetype count) {
    QList<ListLine> lines;
    bool first = true;
    eachLine(bytes, [&](int number, QByteArrayView raw) {
        const QString text = decodeLine(raw);
        if (text.trimmed().isEmpty()) return;
        const auto fields = splitFields(text);
        if (fields && isEmptyRow(*fields)) return;
        const bool isHeader = first && fields && fields->first() == header;
        first = false;
        if (isHeader) return;
        ListLine line{number, raw.toByteArray(), fields.value_or(QStringList{text}), {}};
        if (!fields)
            line.problem = texts::kLedgerBadQuotes;
        else if (fields->size() > count && !fields->mid(count).join(QString()).isEmpty())
            line.problem = texts::kLedgerTooManyFields.arg(fields->size());
        // Excel drops no field, an editor may.
        while (line.fields.size() < count) line.fields.append(QString());
        lines.append(line);
    });
    return lines;
}

// Why a staff line cannot be taken, or an empty text.
QString staffFault(const QStringList& fields, StaffLine& staff) {
    staff.name = fields[0];
    if (staff.name.isEmpty()) return texts::kLedgerNoName;
    if (hasControl(staff.name)) return texts::kLedgerControl.arg(texts::kFieldName);
    for (int day = 0; day < 5; ++day) {
        if (fields[1 + day].isEmpty()) continue;
        const auto minutes = parseTime(fields[1 + day], kFileTime);
        if (!minutes) return texts::kLedgerBadTime.arg(fields[1 + day]);
        staff.weekday[size_t(day)] = *minutes;
    }
    for (int i : {6, 7}) {
        if (fields[i].isEmpty()) continue;
        const auto date = parseDate(fields[i]);
        if (!date) return texts::kLedgerBadDate.arg(fields[i]);
        (i == 6 ? staff.from : staff.to) = *date;
    }
    if (staff.from.isValid() && staff.to.isValid() && staff.to < staff.from)
        return texts::kLedgerEndDateBeforeStart;
    return {};
}

QList<ListLine> readStaff(const QByteArray& bytes, QList<StaffLine>* staff) {
    QList<ListLine> lines = rawLines(bytes, kStaffHeader[0], kStaffHeader.size());
    for (ListLine& line : lines) {
        if (!line.problem.isEmpty()) continue;
        StaffLine one;
        line.problem = staffFault(line.fields, one);
        if (line.problem.isEmpty() && staff) staff->append(one);
    }
    return lines;
}

QList<ListLine> readCalendar(const QByteArray& bytes, QList<CalendarLine>* calendar) {
    QList<ListLine> lines = rawLines(bytes, kCalendarHeader[0], kCalendarHeader.size());
    QList<CalendarLine> taken;
    QHash<QDate, std::pair<qsizetype, int>> seen; // a date's place in `taken`, its line
    for (ListLine& line : lines) {
        if (!line.problem.isEmpty()) continue;
        const QStringList& f = line.fields;
        const auto date = parseDate(f[0]);
        const auto minutes = parseTime(f[1], kFileTime);
        if (!date || !minutes) {
            line.problem =
                !date ? texts::kLedgerBadDate.arg(f[0]) : texts::kLedgerBadTime.arg(f[1]);
            continue;
        }
        const CalendarLine one{*date, *minutes, f[2]};
        if (const auto earlier = seen.find(*date); earlier != seen.end()) {
            line.problem = texts::kLedgerSameDate.arg(earlier->second);
            taken[earlier->first] = one;
            earlier->second = line.number;
        } else {
            seen.insert(*date, {taken.size(), line.number});
            taken.append(one);
        }
    }
    if (calendar) *calendar = taken;
    return lines;
}

void addProblems(const QList<ListLine>& lines, const QString& file,
                 QList<LedgerProblem>& problems) {
    for (const ListLine& line : lines)
        if (!line.problem.isEmpty()) problems.append({file, line.number, line.problem});
}

std::optional<QByteArray> faulty(QString* fault, const QString& message) {
    if (fault) *fault = message;
    return std::nullopt;
}

void removeLeftovers(const QDir& folder) {
    const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-kLeftoverSeconds);
    for (const QFileInfo& f :
         folder.entryInfoList({kSavePrefix + u'*'}, QDir::Files | QDir::Hidden | QDir::System))
        if (f.lastModified().toUTC() < before) QFile::remove(f.absoluteFilePath());
}

} // namespace

QString LedgerProblem::text() const {
    return texts::kLedgerProblem.arg(file, QString::number(line), message);
}

QList<ListLine> listLines(const QByteArray& bytes, const QString& name) {
    return name == kCalendarFile ? readCalendar(bytes, nullptr) : readStaff(bytes, nullptr);
}

QByteArray listHeader(const QString& name) {
    return *quotedCp932(name == kCalendarFile ? kCalendarHeader : kStaffHeader);
}

ListFile readListFile(const QDir& folder, const QString& name) {
    ListFile list{name, {}, {}, {}};
    try {
        QByteArray bytes;
        list.version = versionOf(folder.filePath(name), name, &bytes);
        list.lines = listLines(bytes, name);
    } catch (const Failure& failure) {
        list.unreadable = failure.message();
    }
    return list;
}

Ledger readLedger(const QDir& folder, std::optional<DateRange> dates) {
    Ledger ledger{folder.path(), {}, {}, {}, {}, {}};
    QByteArray bytes;
    if (versionOf(folder.filePath(kStaffFile), kStaffFile, &bytes).exists)
        addProblems(readStaff(bytes, &ledger.staff), kStaffFile, ledger.problems);
    if (versionOf(folder.filePath(kCalendarFile), kCalendarFile, &bytes).exists)
        addProblems(readCalendar(bytes, &ledger.calendar), kCalendarFile, ledger.problems);
    ledger.entries = readEntries(folder, dates, ledger.problems);
    ledger.closings = readClosings(folder, dates, ledger.problems);
    return ledger;
}

QList<StaffLine> parseStaff(const QByteArray& bytes, const QString& file,
                            QList<LedgerProblem>& problems) {
    QList<StaffLine> staff;
    addProblems(readStaff(bytes, &staff), file, problems);
    return staff;
}

QList<CalendarLine> parseCalendar(const QByteArray& bytes, const QString& file,
                                  QList<LedgerProblem>& problems) {
    QList<CalendarLine> calendar;
    addProblems(readCalendar(bytes, &calendar), file, problems);
    return calendar;
}

std::optional<QByteArray> staffBytes(const QList<StaffLine>& staff, QString* fault) {
    QByteArray bytes = listHeader(kStaffFile);
    for (const StaffLine& one : staff) {
        if (one.name.isEmpty()) return faulty(fault, texts::kLedgerNoName);
        if (!isStorableName(one.name))
            return faulty(fault, texts::kLedgerUnwritable.arg(texts::kFieldName, one.name));
        QStringList fields{one.name};
        for (int minutes : one.weekday) {
            if (minutes < -1 || minutes > 24 * 60)
                return faulty(fault, texts::kStaffBadHours.arg(one.name));
            fields.append(timeText(minutes));
        }
        fields << dateText(one.from) << dateText(one.to);
        bytes += *quotedCp932(fields);
    }
    return bytes;
}

std::optional<QByteArray> calendarBytes(const QList<CalendarLine>& calendar, QString* fault) {
    QByteArray bytes = listHeader(kCalendarFile);
    for (const CalendarLine& one : calendar) {
        if (!writable(one.title))
            return faulty(fault, texts::kLedgerUnwritable.arg(texts::kFieldTitle, one.title));
        if (one.minutes < 0 || one.minutes > 24 * 60)
            return faulty(fault, texts::kCalendarBadHours.arg(dateText(one.date)));
        bytes += *quotedCp932({dateText(one.date), timeText(one.minutes), one.title});
    }
    return bytes;
}

void replaceListFile(const QDir& folder, const QString& name, const QByteArray& bytes,
                     const FileVersion& read, std::shared_ptr<const FileCalls> calls) {
    removeLeftovers(folder);
    const QString path = folder.filePath(name);
    // Held across the check and the rename: another PC saving waits, then finds the file
    // changed. A file that was not there is not made here just to be locked.
    std::optional<OsFile> held;
    if (read.exists && OsFile::open(path, name, OsFile::Access::Read, calls)) {
        held.emplace(std::move(*OsFile::open(path, name, OsFile::Access::Append, calls)));
        held->lockForAppending(std::chrono::seconds(3));
    }
    try {
        if (versionOf(path, name, nullptr, calls) != read) throw ChangedFile();
    } catch (const Failure&) {
        throw ChangedFile(); // grown past what a list may be: not what was read
    }
    replaceWhole(path, name, bytes, kSavePrefix, std::move(calls));
}

void writeStaff(const QDir& folder, const QList<StaffLine>& staff) {
    QString fault;
    const auto bytes = staffBytes(staff, &fault);
    if (!bytes) throw Failure(fault);
    DataFolder(folder).replace(kStaffFile, *bytes);
}

void writeCalendar(const QDir& folder, const QList<CalendarLine>& calendar) {
    QString fault;
    const auto bytes = calendarBytes(calendar, &fault);
    if (!bytes) throw Failure(fault);
    DataFolder(folder).replace(kCalendarFile, *bytes);
}

} // namespace velmora
