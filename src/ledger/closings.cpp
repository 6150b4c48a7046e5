#include "ledger/csv.h"
#include "ledger/ledger.h"
#include "storage/datafiles.h"
#include "storage/names.h"
#include "storage/osfile.h"
#include "texts/texts.h"

#include <QRegularExpression>
#include <algorithm>
#include <utility>
#include <variant>

namespace velmora {

using namespace ledger;

QList<Closing> readClosings(const QDir& folder, std::optional<DateRange> dates,
                            QList<LedgerProblem>& problems);

namespace {

constexpr qsizetype kFields = 12;
const QString kTotal = QStringLiteral("月計");

QString monthText(QDate month) { return month.toString(QStringLiteral("yyyy-MM")); }

std::optional<QDate> parseMonth(QStringView text) {
    return parseDate(text.trimmed().toString() + QStringLiteral("-01"));
}

// Hours past 99 in a month's sum: any number of hour digits.
std::optional<int> parseSum(const QString& text) {
    static const QRegularExpression sum(QStringLiteral("^(\\d{1,5}):([0-5]\\d)$"));
    if (text.isEmpty()) return -1;
    const auto match = sum.match(text);
    if (!match.hasMatch()) return std::nullopt;
    return match.captured(1).toInt() * 60 + match.captured(2).toInt();
}

bool isFingerprint(const QString& text) {
    static const QRegularExpression hex(QStringLiteral("^[0-9a-f]{64}$"));
    return hex.match(text).hasMatch();
}

QStringList fieldsOf(const Closing& c, const QString& name, const QString& date,
                     const ClosedFigures& f) {
    return {monthText(c.month),
            writtenText(c.at),
            c.by,
            name,
            date,
            timeText(f.arrival),
            timeText(f.leaving),
            timeText(f.inSchool),
            timeText(f.beyond),
            timeText(f.regular),
            f.fingerprint,
            c.reason};
}

// One line's closing (its own figures alone), the teacher, the date (invalid for the month's
// totals) and the figures; or why it is none.
struct ClosingLine {
    Closing closing;
    QString name;
    QDate date;
    ClosedFigures figures;
};

std::variant<ClosingLine, QString> closingLineOf(const QStringList& f) {
    if (f.size() != kFields) return texts::kClosingFieldCount.arg(f.size());
    ClosingLine l;
    const auto month = parseMonth(f[0]);
    if (!month) return texts::kLedgerBadDate.arg(f[0]);
    l.closing.month = *month;
    const auto at = parseWritten(f[1]);
    if (!at) return texts::kLedgerBadWritten.arg(f[1]);
    l.closing.at = *at;
    l.closing.by = f[2];
    l.name = f[3];
    if (l.closing.by.isEmpty()) return texts::kEntryNoWriter;
    if (l.name.isEmpty()) return texts::kLedgerNoName;
    if (hasControl(l.name) || hasControl(l.closing.by))
        return texts::kLedgerControl.arg(texts::kFieldName);
    if (f[4] != kTotal) {
        const auto date = parseDate(f[4]);
        if (!date || date->addDays(1 - date->day()) != *month)
            return texts::kLedgerBadDate.arg(f[4]);
        l.date = *date;
    }
    int* figures[] = {&l.figures.arrival, &l.figures.leaving, &l.figures.inSchool,
                      &l.figures.beyond, &l.figures.regular};
    for (int i = 0; i < 5; ++i) {
        const auto minutes = parseSum(f[5 + i]);
        if (!minutes) return texts::kLedgerBadTime.arg(f[5 + i]);
        *figures[i] = *minutes;
    }
    l.figures.regular = std::max(l.figures.regular, 0);
    if (!isFingerprint(f[10])) return texts::kClosingBadFingerprint.arg(f[10]);
    l.figures.fingerprint = f[10];
    l.closing.reason = f[11];
    return l;
}

bool sameClosing(const Closing& a, const Closing& b) {
    return a.month == b.month && a.at == b.at && a.by == b.by && a.reason == b.reason;
}

// The month of a line as written, from its bytes alone: lines of other months cost no
// decoding.
std::optional<QDate> quickMonth(QByteArrayView raw) {
    if (raw.size() < 9 || raw[0] != '"' || raw[8] != '"') return std::nullopt;
    return parseMonth(QString::fromLatin1(raw.sliced(1, 7)));
}

} // namespace

QByteArray closingBytes(const Closing& c) {
    QStringList names = c.teachers.keys();
    for (const QString& name : c.days.keys())
        if (!c.teachers.contains(name)) names << name;
    std::sort(names.begin(), names.end());
    QByteArray bytes;
    const auto add = [&](const QString& name, const QString& date, const ClosedFigures& f) {
        const auto line = quotedLine(fieldsOf(c, name, date, f));
        if (!line) throw Failure(texts::kLedgerUnwritable.arg(texts::kFieldName, name));
        bytes += *line;
    };
    for (const QString& name : names) {
        const auto days = c.days.value(name);
        QList<QDate> dates = days.keys();
        std::sort(dates.begin(), dates.end());
        for (const QDate& date : dates) add(name, dateText(date), days[date]);
        if (c.teachers.contains(name)) add(name, kTotal, c.teachers[name]);
    }
    return bytes;
}

QList<Closing> parseClosings(const QByteArray& bytes, const QString& file,
                             QList<LedgerProblem>& problems, std::optional<DateRange> dates) {
    QList<Closing> closings;
    bool header = true;
    eachLine(bytes, [&](int number, QByteArrayView raw) {
        if (raw.trimmed().isEmpty()) return;
        if (std::exchange(header, false) && raw.startsWith("\"\xE6\x9C\x88\"")) return; // "月"
        if (const auto month = quickMonth(raw); dates && month && !dates->contains(*month)) return;
        const auto fields = splitFields(decodeLine(raw));
        if (!fields) return problems.append({file, number, texts::kLedgerBadQuotes});
        auto line = closingLineOf(*fields);
        if (const auto* fault = std::get_if<QString>(&line))
            return problems.append({file, number, *fault});
        auto& l = std::get<ClosingLine>(line);
        if (dates && !dates->contains(l.closing.month)) return;
        if (closings.isEmpty() || !sameClosing(closings.last(), l.closing))
            closings.append(l.closing);
        Closing& c = closings.last();
        if (l.date.isValid())
            c.days[l.name][l.date] = l.figures;
        else
            c.teachers[l.name] = l.figures;
    });
    return closings;
}

QList<Closing> readClosings(const QDir& folder, std::optional<DateRange> dates,
                            QList<LedgerProblem>& problems) {
    const auto file =
        OsFile::open(folder.filePath(kClosingsFile), kClosingsFile, OsFile::Access::Read);
    if (!file) return {};
    return parseClosings(file->readAt(0, file->size()), kClosingsFile, problems, dates);
}

void appendClosing(const QDir& folder, const Closing& closing) {
    if (closing.by.isEmpty()) throw Failure(texts::kEntryNoWriter);
    if (!isStorableName(closing.by))
        throw Failure(texts::kLedgerUnwritable.arg(texts::kFieldWriter, closing.by));
    if (!writable(closing.reason))
        throw Failure(texts::kLedgerUnwritable.arg(texts::kFieldReason, closing.reason));
    const QByteArray bytes = closingBytes(closing);
    // Always CP932: the file is Velmora's alone, never one an office edits.
    appendLines(folder.path(), kClosingsFile, [&](bool) { return bytes; });
}

} // namespace velmora
