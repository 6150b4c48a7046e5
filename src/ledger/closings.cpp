#include "ledger/csv.h"
#include "ledger/ledger.h"
#include "storage/datafiles.h"
#include "storage/names.h"
#include "storage/osfile.h"
#include "texts/texts.h"

#include <algorithm>
#include <array>
#include <utility>
#include <variant>
#include <vector>

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

// Hours past 99 in a month's sum: up to five hour digits. -1 for an empty field.
std::optional<int> parseSum(QStringView text) {
    if (text.isEmpty()) return -1;
    const qsizetype colon = text.indexOf(u':');
    if (colon < 1 || colon > 5 || text.size() != colon + 3) return std::nullopt;
    const auto digit = [&](qsizetype i) {
        return text[i] >= u'0' && text[i] <= u'9' ? text[i].unicode() - '0' : -1;
    };
    int hours = 0;
    for (qsizetype i = 0; i < colon; ++i) {
        if (digit(i) < 0) return std::nullopt;
        hours = hours * 10 + digit(i);
    }
    if (digit(colon + 1) < 0 || digit(colon + 1) > 5 || digit(colon + 2) < 0) return std::nullopt;
    return hours * 60 + digit(colon + 1) * 10 + digit(colon + 2);
}

bool isFingerprint(QStringView text) {
    return text.size() == 64 && std::all_of(text.begin(), text.end(), [](QChar c) {
               return (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f');
           });
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

// `previous`: the line before, whose month and time most lines share.
std::variant<ClosingLine, QString> closingLineOf(const QStringList& f,
                                                 const std::optional<ClosingLine>& previous,
                                                 const QStringList& previousFields) {
    if (f.size() != kFields) return texts::kClosingFieldCount.arg(f.size());
    ClosingLine l;
    const bool same = previous && previousFields[0] == f[0] && previousFields[1] == f[1];
    const auto month = same ? previous->closing.month : parseMonth(f[0]);
    if (!month) return texts::kLedgerBadDate.arg(f[0]);
    l.closing.month = *month;
    const auto at = same ? previous->closing.at : parseWritten(f[1]);
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

// Whether the line, as Velmora writes it, is of another month than `month` ("2026-07" quoted),
// from its bytes alone: lines of other months cost no decoding.
bool otherMonth(QByteArrayView raw, QByteArrayView month) {
    if (raw.size() < 9 || raw[0] != '"' || raw[8] != '"' || raw[5] != '-') return false;
    for (int i : {1, 2, 3, 4, 6, 7})
        if (raw[i] < '0' || raw[i] > '9') return false;
    return !raw.startsWith(month);
}

// A line's fields. Most lines are as Velmora writes them (every field quoted, none holding a
// quote; no CP932 trail byte is a quote or a comma): split on their bytes, and a field the
// same as the line before's (the month, the time, who, the name, the reason) taken as it was
// decoded there. Any other line is read by the files' rules.
class FieldReader {
public:
    std::optional<QStringList> fields(QByteArrayView raw) {
        std::array<QByteArrayView, kFields> bytes;
        if (!split(raw, bytes)) {
            bytesBefore_ = {};
            return splitFields(decodeLine(raw));
        }
        QStringList fields;
        fields.reserve(kFields);
        for (size_t i = 0; i < kFields; ++i)
            fields << (i < bytesBefore_.size() && bytesBefore_[i] == bytes[i]
                           ? fields_[i]
                           : decodeLine(bytes[i]));
        line_ = raw.toByteArray(); // the views below point into it
        bytesBefore_.clear();
        for (const QByteArrayView field : bytes)
            bytesBefore_.push_back(
                QByteArrayView(line_.constData() + (field.data() - raw.data()), field.size()));
        fields_ = fields;
        return fields;
    }

private:
    static bool split(QByteArrayView raw, std::array<QByteArrayView, kFields>& bytes) {
        if (raw.size() < 2 || raw.front() != '"' || raw.back() != '"') return false;
        raw = raw.sliced(1, raw.size() - 2);
        for (size_t i = 0; i < kFields; ++i) {
            const bool last = i + 1 == kFields;
            const qsizetype end = last ? raw.size() : raw.indexOf("\",\"");
            if (end < 0) return false;
            bytes[i] = raw.first(end);
            if (bytes[i].contains('"')) return false;
            raw = last ? QByteArrayView() : raw.sliced(end + 3);
        }
        return true;
    }

    QByteArray line_;
    std::vector<QByteArrayView> bytesBefore_;
    QStringList fields_;
};

} // namespace

QByteArray closingBytes(const Closing& c) {
    QStringList names = c.teachers.keys();
    for (const QString& name : c.days.keys())
        if (!c.teachers.contains(name)) names << name;
    std::sort(names.begin(), names.end());
    QByteArray bytes;
    const auto add = [&](const QString& name, const QString& date, const ClosedFigures& f) {
        const auto line = quotedLine(fieldsOf(c, name, date, f));
        if (!line || !writable(name))
            throw Failure(texts::kLedgerUnwritable.arg(texts::kFieldName, name));
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
    // Only the month the dates end in: a report compares with its own month's closings.
    const QDate only = dates ? QDate(dates->to.year(), dates->to.month(), 1) : QDate();
    const QByteArray quoted = '"' + monthText(only).toLatin1() + '"';
    std::optional<ClosingLine> previous;
    QStringList previousFields;
    bool header = true;
    FieldReader reader;
    eachLine(bytes, [&](int number, QByteArrayView raw) {
        if (raw.trimmed().isEmpty()) return;
        if (std::exchange(header, false) && decodeLine(raw).startsWith(QStringLiteral("\"月\"")))
            return;
        if (only.isValid() && otherMonth(raw, quoted)) return;
        const auto fields = reader.fields(raw);
        if (!fields) return problems.append({file, number, texts::kLedgerBadQuotes});
        auto line = closingLineOf(*fields, previous, previousFields);
        if (const auto* fault = std::get_if<QString>(&line))
            return problems.append({file, number, *fault});
        auto& l = std::get<ClosingLine>(line);
        previous = l;
        previousFields = *fields;
        if (only.isValid() && l.closing.month != only) return;
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
