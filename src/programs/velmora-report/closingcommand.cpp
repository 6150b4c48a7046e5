#include "programs/velmora-report/closingcommand.h"

#include "report/closing.h"
#include "storage/datafiles.h"
#include "storage/times.h"
#include "texts/texts.h"

#include <QDateTime>
#include <QSet>
#include <algorithm>

namespace velmora {

namespace {

const QString kClose = QStringLiteral("close");
const QString kVerify = QStringLiteral("verify");
const QString kBy = QStringLiteral("by");
const QString kReason = QStringLiteral("reason");

void say(const Console& console, const QString& message) {
    console.err(QStringLiteral("velmora-report: %1\n").arg(message));
}

QString monthText(const MonthReport& report) {
    return report.month.toString(QStringLiteral("yyyy-MM"));
}

int close(const QCommandLineParser& parser, const MonthReport& report, const Console& console) {
    const QString reason = parser.value(kReason);
    if (reason.isEmpty() && needsReason(report)) {
        say(console, texts::kCloseNeedsReasonOption);
        if (!report.closings.isEmpty())
            say(console, texts::kClosedBefore.arg(writtenText(report.closings.last().at),
                                                  report.closings.last().by));
        for (const QString& day : daysToCorrect(report))
            say(console, texts::kToCorrectDay.arg(day));
        return 2;
    }
    closeMonth(report, parser.value(kBy), reason, QDateTime::currentDateTime());
    console.out(texts::kMonthClosed.arg(monthText(report)).arg(report.teachers.size()) + u'\n');
    return 0;
}

// A teacher's line: the fingerprint now, the closing's, and the verdict with the days that
// differ.
QString verifyLine(const QString& name, const QString& now, const QString& closed,
                   const QStringList& days) {
    const QString shown = [](const QString& hex) {
        return hex.isEmpty() ? texts::kNoFigure : shortFingerprint(hex);
    }(now);
    return texts::kVerifyLine
        .arg(name, shown, closed.isEmpty() ? texts::kNoFigure : shortFingerprint(closed),
             days.isEmpty() && now == closed ? texts::kMatches : texts::kDiffers)
        .append(days.isEmpty() ? QString() : u' ' + days.join(u' '));
}

int verify(const MonthReport& report, const Console& console) {
    if (report.closings.isEmpty()) {
        say(console, texts::kNotClosed.arg(monthText(report)));
        return 1;
    }
    const Closing& latest = report.closings.last();
    bool differs = false;
    QSet<QString> seen;
    for (const TeacherMonth& teacher : report.teachers) {
        seen.insert(teacher.name);
        QStringList days;
        for (const Day& day : teacher.days)
            if (day.closedAs) days << dateText(day.date);
        const QString closed = latest.teachers.value(teacher.name).fingerprint;
        differs |= teacher.closing != ClosingState::Closed;
        console.out(verifyLine(teacher.name, teacher.fingerprint, closed, days) + u'\n');
    }
    // A teacher closed and gone from the files since.
    QStringList gone = latest.teachers.keys();
    std::sort(gone.begin(), gone.end());
    for (const QString& name : gone) {
        if (seen.contains(name)) continue;
        differs = true;
        console.out(verifyLine(name, {}, latest.teachers[name].fingerprint, {}) + u'\n');
    }
    return differs ? 1 : 0;
}

} // namespace

void addClosingOptions(QCommandLineParser& parser) {
    parser.addOptions({
        {kClose, texts::kCloseHelp},
        {kVerify, texts::kVerifyHelp},
        {kBy, texts::kByHelp, QStringLiteral("NAME")},
        {kReason, texts::kReasonHelp, QStringLiteral("TEXT")},
    });
}

bool isClosingCommand(const QCommandLineParser& parser) {
    return parser.isSet(kClose) || parser.isSet(kVerify);
}

int runClosingCommand(const QCommandLineParser& parser, const std::function<MonthReport()>& build,
                      const Console& console) {
    if (parser.isSet(kClose) && parser.isSet(kVerify))
        return say(console, texts::kCloseOrVerify), 2;
    if (!parser.isSet(QStringLiteral("month"))) return say(console, texts::kClosingNeedsMonth), 2;
    if (parser.isSet(kClose) && parser.value(kBy).isEmpty())
        return say(console, texts::kCloseNeedsBy), 2;
    try {
        const MonthReport report = build();
        for (const LedgerProblem& problem : report.ledger.problems) say(console, problem.text());
        return parser.isSet(kClose) ? close(parser, report, console) : verify(report, console);
    } catch (const Failure& failure) {
        say(console, failure.message());
        return 2;
    }
}

void tellChanges(const MonthReport& report, const Console& console) {
    const QString changed = closingStateText(ClosingState::Changed);
    for (const TeacherMonth& teacher : report.teachers) {
        if (teacher.closing != ClosingState::Changed) continue;
        bool anyDay = false;
        for (const Day& day : teacher.days) {
            if (!day.closedAs) continue;
            anyDay = true;
            say(console, texts::kChangedDay.arg(teacher.name, dateText(day.date), changed,
                                                changeTexts(day).join(texts::kChangesSeparator)));
        }
        if (!anyDay) say(console, texts::kChangedTeacher.arg(teacher.name, changed));
    }
}

} // namespace velmora
