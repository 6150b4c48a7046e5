#include "ledger/csv.h"

#include "storage/cp932.h"
#include "storage/fields.h"

#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>

namespace velmora::ledger {

QString decodeText(const QByteArray& bytes) {
    const std::string_view data = withoutByteOrderMark(view(bytes));
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(QByteArrayView(data.data(), qsizetype(data.size())));
    return utf8.hasError() ? fromCp932(data) : text;
}

namespace {

// RFC 4180 within one line: "" inside quotes for a quote; spaces around a field dropped
// unless quoted. nullopt when a quote is left open or text follows a closing one.
std::optional<QStringList> splitFields(QStringView line) {
    QStringList fields;
    qsizetype p = 0;
    const auto skipSpaces = [&] {
        while (p < line.size() && (line[p] == u' ' || line[p] == u'\t')) ++p;
    };
    for (;;) {
        skipSpaces();
        QString field;
        if (p < line.size() && line[p] == u'"') {
            for (++p;; ++p) {
                if (p == line.size()) return std::nullopt;
                if (line[p] == u'"') {
                    if (p + 1 < line.size() && line[p + 1] == u'"') {
                        field += u'"';
                        ++p;
                    } else {
                        ++p;
                        break;
                    }
                } else {
                    field += line[p];
                }
            }
            skipSpaces();
            if (p < line.size() && line[p] != u',') return std::nullopt;
        } else {
            const qsizetype comma = line.indexOf(u',', p);
            const qsizetype end = comma < 0 ? line.size() : comma;
            field = line.mid(p, end - p).trimmed().toString();
            if (field.contains(u'"')) return std::nullopt;
            p = end;
        }
        fields.append(field);
        if (p >= line.size()) return fields;
        ++p; // the comma
    }
}

// Full-width digits and signs, as a Japanese input method may leave them, as ASCII.
QString narrowed(QString text) {
    for (QChar& c : text)
        if (c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E) c = QChar(c.unicode() - 0xFEE0);
    return text.trimmed();
}

} // namespace

QList<CsvLine> csvLines(const QString& text, const QString& header) {
    QList<CsvLine> lines;
    bool first = true;
    int number = 0;
    for (QStringView line : QStringView(text).split(u'\n')) {
        ++number;
        if (line.endsWith(u'\r')) line.chop(1);
        if (line.trimmed().isEmpty()) continue;
        auto fields = splitFields(line);
        // Excel keeps the commas of a row that only had formatting.
        if (fields && std::all_of(fields->begin(), fields->end(),
                                  [](const QString& f) { return f.isEmpty(); }))
            continue;
        const bool isHeader = first && fields && fields->first() == header;
        first = false;
        if (isHeader) continue;
        lines.append({number, fields.value_or(QStringList()), !fields});
    }
    return lines;
}

std::optional<int> parseTime(QString text) {
    static const QRegularExpression pattern(QStringLiteral("^([0-9]{1,2}):([0-9]{2})(:00)?$"));
    const auto match = pattern.match(narrowed(std::move(text)));
    if (!match.hasMatch()) return std::nullopt;
    const int hours = match.capturedView(1).toInt(), minutes = match.capturedView(2).toInt();
    if (minutes >= 60 || hours * 60 + minutes > 24 * 60) return std::nullopt;
    return hours * 60 + minutes;
}

std::optional<QDate> parseDate(QString text) {
    static const QRegularExpression pattern(
        QStringLiteral("^(20[0-9]{2})([-/])([0-9]{1,2})\\2([0-9]{1,2})$"));
    const auto match = pattern.match(narrowed(std::move(text)));
    if (!match.hasMatch()) return std::nullopt;
    const QDate date(match.capturedView(1).toInt(), match.capturedView(3).toInt(),
                     match.capturedView(4).toInt());
    if (!date.isValid()) return std::nullopt;
    return date;
}

std::optional<QDateTime> parseWritten(const QString& text) {
    const QString plain = narrowed(text);
    const qsizetype space = plain.indexOf(u' ');
    if (space < 0) return std::nullopt;
    const auto date = parseDate(plain.left(space));
    const auto time = parseTime(plain.mid(space + 1));
    if (!date || !time || *time >= 24 * 60) return std::nullopt;
    return QDateTime(*date, QTime(*time / 60, *time % 60));
}

QString timeText(int minutes) {
    if (minutes < 0) return {};
    return QStringLiteral("%1:%2").arg(minutes / 60).arg(minutes % 60, 2, 10, QChar(u'0'));
}

QString dateText(QDate date) {
    return date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString();
}

QString writtenText(const QDateTime& written) {
    return written.toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

bool writable(const QString& text) {
    return !text.contains(u'"') && !text.contains(u'\r') && !text.contains(u'\n') &&
           cp932CanHold(text);
}

std::optional<QByteArray> quotedCp932(const QStringList& fields) {
    QByteArray line;
    for (const QString& field : fields) {
        const auto bytes = toCp932(field);
        if (!bytes) return std::nullopt;
        if (!line.isEmpty()) line += ',';
        line += '"' + *bytes + '"';
    }
    return line + "\r\n";
}

} // namespace velmora::ledger
