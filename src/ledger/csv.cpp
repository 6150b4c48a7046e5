#include "ledger/csv.h"

#include "storage/cp932.h"

#include <QUtf8StringView>
#include <algorithm>

namespace velmora::ledger {

QString decodeLine(QByteArrayView line) {
    const bool ascii =
        std::all_of(line.begin(), line.end(), [](char c) { return (unsigned char)c < 0x80; });
    if (ascii) return QString::fromLatin1(line);
    if (QUtf8StringView(line.data(), line.size()).isValidUtf8()) return QString::fromUtf8(line);
    return fromCp932(std::string_view(line.data(), size_t(line.size())));
}

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
            // A run up to the next quote at a time: a doubled one is a quote, another ends it.
            for (++p;;) {
                const qsizetype quote = line.indexOf(u'"', p);
                if (quote < 0) return std::nullopt;
                field += line.sliced(p, quote - p);
                p = quote + 1;
                if (p == line.size() || line[p] != u'"') break;
                field += u'"';
                ++p;
            }
            skipSpaces();
            if (p < line.size() && line[p] != u',') return std::nullopt;
        } else {
            const qsizetype comma = line.indexOf(u',', p);
            const qsizetype end = comma < 0 ? line.size() : comma;
            const QStringView cell = line.sliced(p, end - p).trimmed();
            if (cell.contains(u'"')) return std::nullopt;
            field = cell.toString();
            p = end;
        }
        fields.append(field);
        if (p >= line.size()) return fields;
        ++p; // the comma
    }
}

bool isEmptyRow(const QStringList& fields) {
    return std::all_of(fields.begin(), fields.end(), [](const QString& f) { return f.isEmpty(); });
}

namespace {

// A digit, full-width as a Japanese input method may leave it, or -1.
int digit(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') return u - u'0';
    if (u >= u'０' && u <= u'９') return u - u'０';
    return -1;
}

QChar narrow(QChar c) {
    return c.unicode() >= 0xFF01 && c.unicode() <= 0xFF5E ? QChar(c.unicode() - 0xFEE0) : c;
}

// Up to `most` digits from `p`; nullopt for none.
std::optional<int> number(QStringView text, qsizetype& p, int most) {
    int value = 0, count = 0;
    for (; p < text.size() && count < most; ++p, ++count) {
        const int d = digit(text[p]);
        if (d < 0) break;
        value = value * 10 + d;
    }
    if (count == 0) return std::nullopt;
    return value;
}

bool separator(QStringView text, qsizetype& p, char16_t sep) {
    if (p >= text.size() || narrow(text[p]) != QChar(sep)) return false;
    ++p;
    return true;
}

} // namespace

std::optional<int> parseTime(QStringView text) {
    text = text.trimmed();
    qsizetype p = 0;
    const auto hours = number(text, p, 2);
    if (!hours || !separator(text, p, u':')) return std::nullopt;
    const qsizetype from = p;
    const auto minutes = number(text, p, 2);
    if (!minutes || p - from != 2) return std::nullopt;
    if (p < text.size()) {
        const qsizetype seconds = p + 1;
        if (!separator(text, p, u':') || number(text, p, 2) != 0 || p - seconds != 2 ||
            p < text.size())
            return std::nullopt;
    }
    if (*minutes >= 60 || *hours * 60 + *minutes > 24 * 60) return std::nullopt;
    return *hours * 60 + *minutes;
}

std::optional<QDate> parseDate(QStringView text) {
    text = text.trimmed();
    qsizetype p = 0;
    const auto year = number(text, p, 4);
    if (!year || p != 4 || *year < 2000 || *year > 2099 || p >= text.size()) return std::nullopt;
    const char16_t sep = narrow(text[p]).unicode();
    if (sep != u'-' && sep != u'/') return std::nullopt;
    ++p;
    const auto month = number(text, p, 2);
    if (!month || !separator(text, p, sep)) return std::nullopt;
    const auto day = number(text, p, 2);
    if (!day || p != text.size()) return std::nullopt;
    const QDate date(*year, *month, *day);
    if (!date.isValid()) return std::nullopt;
    return date;
}

std::optional<QDateTime> parseWritten(QStringView text) {
    text = text.trimmed();
    qsizetype space = text.indexOf(u' ');
    if (space < 0) space = text.indexOf(u'　');
    if (space < 0) return std::nullopt;
    const auto date = parseDate(text.first(space));
    const auto time = parseTime(text.sliced(space + 1));
    if (!date || !time || *time >= 24 * 60) return std::nullopt;
    // A wall-clock time as written, of no zone: held as UTC, so that no conversion (and no
    // look at the system's zone, per line) ever touches it.
    return QDateTime(*date, QTime(*time / 60, *time % 60), Qt::UTC);
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

bool hasControl(QStringView text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

bool writable(const QString& text) {
    return !text.contains(u'"') && !text.contains(u'\r') && !text.contains(u'\n') &&
           cp932CanHold(text);
}

std::optional<QByteArray> quotedLine(const QStringList& fields, bool utf8) {
    QByteArray line;
    for (const QString& field : fields) {
        const auto bytes = utf8 ? std::optional(field.toUtf8()) : toCp932(field);
        if (!bytes) return std::nullopt;
        if (!line.isEmpty()) line += ',';
        line += '"' + *bytes + '"';
    }
    return line + "\r\n";
}

} // namespace velmora::ledger
