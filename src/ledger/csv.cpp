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
