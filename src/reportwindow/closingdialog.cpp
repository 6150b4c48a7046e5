#include "reportwindow/closingdialog.h"

#include "report/closing.h"
#include "saving/output.h"
#include "storage/datafiles.h"
#include "storage/times.h"
#include "texts/texts.h"

namespace velmora {

namespace {

QDate firstOfMonth(QDate date) { return date.addDays(1 - date.day()); }

// The month's closings alone, as a report of it holds them.
MonthReport monthOf(QDate date, const QList<Closing>& closings) {
    MonthReport month;
    month.month = firstOfMonth(date);
    for (const Closing& c : closings)
        if (c.month == month.month) month.closings << c, month.ledger.closings << c;
    return month;
}

// The reason the closing needs, asked with `why`; nullopt when none is given.
std::optional<QString> askReason(Dialogs& dialogs, QWidget* parent, const QString& why) {
    return dialogs.text(parent, QStringLiteral("closingReason"), texts::kCloseMonthTitle,
                        why + QStringLiteral("\n") + texts::kClosingReasonLabel);
}

} // namespace

ClosingOutcome askClosing(Dialogs& dialogs, QWidget* parent, const MonthReport& report,
                          const QString& by, const QDateTime& at) {
    const QString month = monthTitle(report.month);
    QStringList why;
    if (const QStringList days = daysToCorrect(report); !days.isEmpty())
        why << texts::kCloseWithDaysToCorrect.arg(days.join(u'\n'));
    if (!report.closings.isEmpty())
        why << texts::kCloseAgain.arg(texts::kClosedBy.arg(writtenText(report.closings.last().at),
                                                           report.closings.last().by));
    QString reason;
    if (!why.isEmpty()) {
        const std::optional<QString> given = askReason(dialogs, parent, why.join(u'\n'));
        if (!given) return {false, texts::kCloseNeedsReason};
        reason = *given;
    } else if (!dialogs.confirm(parent, QStringLiteral("closeMonth"), texts::kCloseMonthTitle,
                                texts::kCloseMonthConfirm.arg(month))) {
        return {};
    }
    try {
        closeMonth(report, by, reason, at);
    } catch (const Failure& failure) {
        const QString said = texts::kCloseFailed.arg(failure.message());
        dialogs.warn(parent, texts::kCloseMonthTitle, said);
        return {false, said};
    }
    return {true, texts::kClosedNow.arg(month)};
}

QString monthClosingNotice(const MonthReport& report) {
    QStringList changed;
    for (const TeacherMonth& t : report.teachers)
        if (t.closing == ClosingState::Changed) changed << QStringLiteral("「%1」").arg(t.name);
    if (changed.isEmpty()) return monthClosingText(report);
    return monthClosingText(report) + QStringLiteral("　") + changed.join(u'、');
}

bool inClosedMonth(const QList<Closing>& closings, QDate date) {
    return !monthOf(date, closings).closings.isEmpty();
}

bool afterClosing(const Entry& entry, const QList<Closing>& closings) {
    return writtenAfterClosing(entry, monthOf(entry.date, closings));
}

} // namespace velmora
