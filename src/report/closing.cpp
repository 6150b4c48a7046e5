#include "report/closing.h"

#include "storage/datafiles.h"
#include "storage/times.h"
#include "texts/texts.h"

#include <QDir>
#include <utility>

namespace velmora {

namespace {

// Times as the clock on the wall showed them: an entry made now and one read back from its
// file compare alike, whatever zone each QDateTime holds.
std::pair<QDate, QTime> wallClock(const QDateTime& at) {
    return {at.date(), QTime(at.time().hour(), at.time().minute())};
}

QString figureText(int minutes) { return minutes < 0 ? texts::kNoFigure : timeText(minutes); }

} // namespace

QString shortFingerprint(const QString& hex) { return hex.left(12); }

QString closingStateText(ClosingState state) { return texts::kClosingStates.value(int(state)); }

ClosedFigures closedFigures(const Day& day) {
    return {day.arrival, day.leaving, day.inSchool, day.beyond, day.regular, day.fingerprint};
}

ClosedFigures closedFigures(const TeacherMonth& teacher) {
    return {-1, -1, teacher.inSchool, teacher.beyond, teacher.regular, teacher.fingerprint};
}

QStringList changeTexts(const Day& day) {
    if (!day.closedAs) return {};
    const ClosedFigures& before = *day.closedAs;
    const ClosedFigures now = closedFigures(day);
    const std::pair<int, int> figures[] = {{before.arrival, now.arrival},
                                           {before.leaving, now.leaving},
                                           {before.inSchool, now.inSchool},
                                           {before.beyond, now.beyond},
                                           {before.regular, now.regular}};
    QStringList changes;
    for (qsizetype i = 0; i < texts::kClosedFigureNames.size(); ++i)
        if (figures[i].first != figures[i].second)
            changes << texts::kChangedFigure.arg(texts::kClosedFigureNames[i],
                                                 figureText(figures[i].first),
                                                 figureText(figures[i].second));
    // Its sources changed, its figures not: the fingerprints tell the change.
    if (changes.isEmpty() && before.fingerprint != now.fingerprint)
        changes << texts::kChangedFigure.arg(texts::kFingerprintName,
                                             shortFingerprint(before.fingerprint),
                                             shortFingerprint(now.fingerprint));
    return changes;
}

void compareWithClosings(MonthReport& report) {
    report.closings.clear();
    for (const Closing& closing : report.ledger.closings)
        if (closing.month == report.month) report.closings << closing;
    if (report.closings.isEmpty()) return;
    const Closing& latest = report.closings.last();
    for (TeacherMonth& teacher : report.teachers) {
        const auto closedTeacher = latest.teachers.constFind(teacher.name);
        const auto closedDays = latest.days.value(teacher.name);
        bool changed = closedTeacher == latest.teachers.cend();
        for (Day& day : teacher.days) {
            if (day.date < report.month) continue; // a whole year's report holds earlier days
            const ClosedFigures closed = closedDays.value(day.date);
            if (closed == closedFigures(day)) continue;
            day.closedAs = closed;
            changed = true;
        }
        if (!changed && *closedTeacher != closedFigures(teacher)) changed = true;
        teacher.closing = changed ? ClosingState::Changed : ClosingState::Closed;
        if (changed)
            teacher.closedAs =
                closedTeacher == latest.teachers.cend() ? ClosedFigures{} : *closedTeacher;
    }
}

bool writtenAfterClosing(const Entry& entry, const MonthReport& report) {
    const QDate month(entry.date.year(), entry.date.month(), 1);
    const Closing* latest = nullptr;
    for (const Closing& closing : report.ledger.closings)
        if (closing.month == month) latest = &closing;
    return latest && wallClock(entry.written) > wallClock(latest->at);
}

bool needsReason(const MonthReport& report) {
    if (!report.closings.isEmpty()) return true;
    for (const TeacherMonth& teacher : report.teachers)
        if (teacher.toCorrect > 0) return true;
    return false;
}

QStringList daysToCorrect(const MonthReport& report) {
    QStringList days;
    for (const TeacherMonth& teacher : report.teachers)
        for (const Day& day : teacher.days)
            if (hasMark(day.notes))
                days << texts::kDayToCorrect.arg(teacher.name, dateText(day.date),
                                                 notesText(day.notes));
    return days;
}

void closeMonth(const MonthReport& report, const QString& by, const QString& reason,
                const QDateTime& at) {
    if (reason.isEmpty() && needsReason(report)) throw Failure(texts::kCloseNeedsReasonOption);
    const auto [date, time] = wallClock(at);
    Closing closing{report.month, QDateTime(date, time, Qt::UTC), by, reason, {}, {}};
    for (const TeacherMonth& teacher : report.teachers) {
        closing.teachers.insert(teacher.name, closedFigures(teacher));
        auto& days = closing.days[teacher.name];
        for (const Day& day : teacher.days)
            if (day.date >= report.month) days.insert(day.date, closedFigures(day));
    }
    appendClosing(QDir(report.ledger.folder), closing);
}

} // namespace velmora
