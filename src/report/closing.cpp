// A stand-in until the closing's own rules join: enough for the outputs to be built against.
#include "report/closing.h"

#include "storage/datafiles.h"
#include "storage/times.h"

namespace velmora {

QString shortFingerprint(const QString& hex) { return hex.left(12); }

QString closingStateText(ClosingState state) {
    switch (state) {
    case ClosingState::Closed:
        return QStringLiteral("締め済み");
    case ClosingState::Changed:
        return QStringLiteral("締め後に変更");
    case ClosingState::Open:
        break;
    }
    return QStringLiteral("未締め");
}

QStringList changeTexts(const Day& day) {
    QStringList texts;
    if (!day.closedAs) return texts;
    const ClosedFigures& was = *day.closedAs;
    const auto add = [&](const char* label, int before, int after) {
        if (before != after)
            texts << QStringLiteral("%1 %2 → %3")
                         .arg(QString::fromUtf8(label), timeText(before), timeText(after));
    };
    add("出", was.arrival, day.arrival);
    add("退", was.leaving, day.leaving);
    add("在校等時間", was.inSchool, day.inSchool);
    add("時間外", was.beyond, day.beyond);
    add("所定", was.regular, day.regular);
    return texts;
}

bool writtenAfterClosing(const Entry& entry, const MonthReport& report) {
    if (report.closings.isEmpty() || entry.date.year() != report.month.year() ||
        entry.date.month() != report.month.month())
        return false;
    return entry.written > report.closings.last().at;
}

void closeMonth(const MonthReport&, const QString&, const QString&, const QDateTime&) {
    throw Failure(QStringLiteral("not yet"));
}

} // namespace velmora
