#include "report/fingerprint.h"

#include <QCryptographicHash>
#include <algorithm>
#include <tuple>

namespace velmora {

namespace {

QString hexOf(QCryptographicHash& hash) { return QString::fromLatin1(hash.result().toHex()); }

void addLine(QByteArray& text, const char* key, const QByteArray& value) {
    text += key;
    text += ' ';
    text += value;
    text += '\n';
}

// An entry's line without its line end: what it says, wherever in the file it stands.
QByteArray entryText(const Entry& entry) {
    QByteArray line = entryLine(entry, true);
    if (line.endsWith("\r\n")) line.chop(2);
    return line;
}

QByteArray staffText(const StaffLine& line) {
    QStringList fields{line.name};
    for (int minutes : line.weekday) fields << timeText(minutes);
    fields << dateText(line.from) << dateText(line.to);
    return fields.join(u',').toUtf8();
}

} // namespace

void sortCardLines(std::vector<CardLine>& lines) {
    std::sort(lines.begin(), lines.end(), [](const CardLine& a, const CardLine& b) {
        return std::tie(a.teacher, a.day, a.file, a.place) <
               std::tie(b.teacher, b.day, b.file, b.place);
    });
}

QString dayFingerprint(const DaySources& s) {
    QByteArray text("velmora-day 1\n");
    addLine(text, "name", s.name.toUtf8());
    addLine(text, "date", dateText(s.date).toLatin1());
    addLine(text, "rules",
            QByteArray::number(s.rules.regularMinutes) + ' ' +
                QByteArray::number(s.rules.breakMinutes) + ' ' +
                (s.rules.daysOff.contains(s.date) ? '1' : '0'));
    for (const CardLine* line = s.firstLine; line != s.lastLine; ++line)
        addLine(text, "card",
                QByteArray::fromRawData(line->bytes.data(), qsizetype(line->bytes.size())).toHex());
    for (const EntryState& state : s.entries) {
        addLine(text, "entry", entryText(state.entry));
        if (state.cancelled()) addLine(text, "cancelled", entryText(*state.cancelledBy));
    }
    for (const StaffLine& line : s.rules.staff.value(s.name))
        if (line.applies(s.date)) addLine(text, "staff", staffText(line));
    if (const auto found = s.rules.calendar.constFind(s.date); found != s.rules.calendar.cend())
        addLine(text, "calendar",
                (dateText(found->date) + u',' + timeText(found->minutes) + u',' + found->title)
                    .toUtf8());
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(text);
    return hexOf(hash);
}

QString monthFingerprint(const QString& name, const QList<Day>& days) {
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData("velmora-month 1\nname " + name.toUtf8() + '\n');
    for (const Day& day : days) hash.addData(day.fingerprint.toLatin1() + '\n');
    return hexOf(hash);
}

} // namespace velmora
