#include "ledger/ledger.h"

#include "ledger/csv.h"
#include "storage/datafiles.h"
#include "storage/names.h"
#include "storage/osfile.h"
#include "texts/texts.h"

#include <QHash>

namespace velmora {

using namespace ledger;

namespace {

// The files are a few hundred lines; anything far larger is no file of ours.
constexpr qint64 kLargestFile = 16 * 1024 * 1024;

const QStringList kStaffHeader = {QStringLiteral("氏名"),   QStringLiteral("月"),
                                  QStringLiteral("火"),     QStringLiteral("水"),
                                  QStringLiteral("木"),     QStringLiteral("金"),
                                  QStringLiteral("開始日"), QStringLiteral("終了日")};
const QStringList kCalendarHeader = {QStringLiteral("日付"), QStringLiteral("勤務時間"),
                                     QStringLiteral("名称")};

std::optional<QByteArray> readWhole(const QDir& folder, const QString& name) {
    const auto file = OsFile::open(folder.filePath(name), name, OsFile::Access::Read);
    if (!file) return std::nullopt;
    if (file->size() > kLargestFile)
        throw Failure(texts::kCannotRead.arg(name, texts::kLedgerTooLarge));
    return file->readAt(0, file->size());
}

// A line's fields, short ones filled with empty fields (Excel drops none, an editor may);
// nullopt with a problem for a line that cannot be read as `count` fields.
std::optional<QStringList> fieldsOf(const CsvLine& line, qsizetype count, const QString& file,
                                    QList<LedgerProblem>& problems) {
    QString fault;
    if (line.malformed)
        fault = texts::kLedgerBadQuotes;
    else if (line.fields.size() > count && !line.fields.mid(count).join(QString()).isEmpty())
        fault = texts::kLedgerTooManyFields.arg(line.fields.size());
    if (!fault.isEmpty()) {
        problems.append({file, line.number, fault});
        return std::nullopt;
    }
    QStringList fields = line.fields.mid(0, count);
    while (fields.size() < count) fields.append(QString());
    return fields;
}

// Why a staff line cannot be taken, or an empty text.
QString staffFault(const QStringList& fields, StaffLine& staff) {
    staff.name = fields[0];
    if (staff.name.isEmpty()) return texts::kLedgerNoName;
    for (int day = 0; day < 5; ++day) {
        if (fields[1 + day].isEmpty()) continue;
        const auto minutes = parseTime(fields[1 + day]);
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

std::optional<QByteArray> faulty(QString* fault, const QString& message) {
    if (fault) *fault = message;
    return std::nullopt;
}

} // namespace

QString LedgerProblem::text() const {
    return texts::kLedgerProblem.arg(file, QString::number(line), message);
}

Ledger readLedger(const QDir& folder) {
    Ledger ledger{folder.path(), {}, {}, {}, {}};
    if (const auto bytes = readWhole(folder, kStaffFile))
        ledger.staff = parseStaff(*bytes, kStaffFile, ledger.problems);
    if (const auto bytes = readWhole(folder, kCalendarFile))
        ledger.calendar = parseCalendar(*bytes, kCalendarFile, ledger.problems);
    if (const auto bytes = readWhole(folder, kEntriesFile))
        ledger.entries = parseEntries(*bytes, kEntriesFile, ledger.problems);
    return ledger;
}

QList<StaffLine> parseStaff(const QByteArray& bytes, const QString& file,
                            QList<LedgerProblem>& problems) {
    QList<StaffLine> staff;
    for (const CsvLine& line : csvLines(decodeText(bytes), kStaffHeader[0])) {
        const auto fields = fieldsOf(line, kStaffHeader.size(), file, problems);
        if (!fields) continue;
        StaffLine one;
        if (const QString fault = staffFault(*fields, one); !fault.isEmpty())
            problems.append({file, line.number, fault});
        else
            staff.append(one);
    }
    return staff;
}

QList<CalendarLine> parseCalendar(const QByteArray& bytes, const QString& file,
                                  QList<LedgerProblem>& problems) {
    QList<CalendarLine> calendar;
    QHash<QDate, std::pair<qsizetype, int>> seen; // a date's place in `calendar`, its line
    for (const CsvLine& line : csvLines(decodeText(bytes), kCalendarHeader[0])) {
        const auto fields = fieldsOf(line, kCalendarHeader.size(), file, problems);
        if (!fields) continue;
        const auto date = parseDate((*fields)[0]);
        const auto minutes = parseTime((*fields)[1]);
        if (!date || !minutes) {
            problems.append({file, line.number,
                             !date ? texts::kLedgerBadDate.arg((*fields)[0])
                                   : texts::kLedgerBadTime.arg((*fields)[1])});
            continue;
        }
        const CalendarLine one{*date, *minutes, (*fields)[2]};
        if (const auto earlier = seen.find(*date); earlier != seen.end()) {
            problems.append({file, line.number, texts::kLedgerSameDate.arg(earlier->second)});
            calendar[earlier->first] = one;
            earlier->second = line.number;
        } else {
            seen.insert(*date, {calendar.size(), line.number});
            calendar.append(one);
        }
    }
    return calendar;
}

std::optional<QByteArray> staffBytes(const QList<StaffLine>& staff, QString* fault) {
    QByteArray bytes = *quotedCp932(kStaffHeader);
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
    QByteArray bytes = *quotedCp932(kCalendarHeader);
    for (const CalendarLine& one : calendar) {
        if (!writable(one.title))
            return faulty(fault, texts::kLedgerUnwritable.arg(texts::kFieldTitle, one.title));
        if (one.minutes < 0 || one.minutes > 24 * 60)
            return faulty(fault, texts::kCalendarBadHours.arg(dateText(one.date)));
        bytes += *quotedCp932({dateText(one.date), timeText(one.minutes), one.title});
    }
    return bytes;
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
