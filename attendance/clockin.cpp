// The arrival: completes a forgotten leaving of an earlier day, refuses a second arrival of
// the same day, and records the arrival.

#include "clocktext.h"
#include "operation.h"

#include <QLineEdit>

namespace velmora {

void ClockIn(Form1& form) {
    form.動作状態->setText(QStringLiteral("出勤ボタンが押された。"));
    form.Timer2.setInterval(0);
    if (!haveUser(form)) {
        // The clock tick is stopped and nothing would restart it.
        form.ResetToIdle();
        return;
    }
    Form1::setFontSize(form.mess, 28);
    const QString today = recordDate(form.services().clock.dateText());
    const QString name = form.名前->text();
    const AttendanceRecord last = FindLastRecord(form.services().files, name);

    if (last.date != today && last.kind == kArrival)
        recordMissing(form, QStringLiteral("昨日の退校時間"), last.date, kLeaving);

    if (last.date == today && last.kind == kArrival) {
        form.動作状態->setText(QString());
        showResult(form, QStringLiteral("すでに出勤中"));
        return;
    }

    const QString time = operationTime(form, arrivalTime);
    AppendRecord(form.services().files, {name, today, time, kArrival});
    form.タイム->hide();
    showResult(form, today + u' ' + time + u' ' + kArrival);
}

} // namespace velmora
