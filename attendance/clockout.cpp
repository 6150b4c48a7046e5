// The leaving: completes a forgotten arrival of today, records the leaving, and on a
// personal PC may shut it down.

#include "clocktext.h"
#include "operation.h"
#include "userdata.h"

#include <QCheckBox>
#include <QLineEdit>

namespace velmora {

void ClockOut(Form1& form) {
    form.動作状態->setText(QStringLiteral("退勤処理"));
    // The clock tick still runs, so the window returns to idle by itself.
    if (!haveUser(form)) return;
    form.動作状態->setText(QString());
    Form1::setFontSize(form.mess, 28);
    Services& services = form.services();
    const QString today = recordDate(services.clock.dateText());
    const QString name = form.名前->text();
    const AttendanceRecord last = FindLastRecord(services.files, name);

    if (last.date != today)
        recordMissing(form, QStringLiteral("本日の出校時間"), today, kArrival);

    const QString time = operationTime(form, leavingTime);
    AppendRecord(services.files, {name, today, time, kLeaving});
    services.beeper.beep();
    form.タイム->hide();
    showResult(form, today + u' ' + time + u' ' + kLeaving);

    // The grey state is no choice to shut down.
    if (!ownerName(services.files).isEmpty() && form.Check1->checkState() == Qt::Checked)
        services.shutdown.ShutdownSystem();
}

} // namespace velmora
