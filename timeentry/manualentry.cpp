// A click on the big clock: the user picks a time on the panel, then presses 出 or 退.

#include "form1.h"
#include "timepanel.h"

#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

namespace velmora {

void mess_Click(Form1& form) {
    form.動作状態->setText(QStringLiteral("時間を入力し、[出勤][退勤]"));
    form.中止->show();
    // "H:MM:SS" without the seconds: cut, not rounded, so 9:05:59 starts at 9:05.
    const QString clock = form.services().clock.timeText();
    const QString now = clock.left(std::max<qsizetype>(0, clock.size() - 3));
    askTime(form, QStringLiteral("時間入力"), now);
    form.タイム->show();
    form.タイム->setFocus();
    form.出->setEnabled(true);
    form.退->setEnabled(true);
}

} // namespace velmora
