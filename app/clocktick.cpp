// The two timers of the terminal window: the clock tick and the follow-up.

#include "clocktext.h"
#include "form1.h"
#include "userdata.h"

namespace velmora {

void Form1::Timer2_Timer() {
    setFontSize(mess, 48);
    const QString clockText = services_.clock.timeText();
    const QString now = currentTimeText(clockText);
    mess->setText(now);
    Sec->setText(QString(secondsValue(clockText), QChar(0xFF65)));
    動作状態->setText((isMorning(now) ? QStringLiteral("出勤 ") : QStringLiteral("退勤 ")) +
                      QStringLiteral("：Felicaをかざしてください。"));
    cardDispatch(now);
}

void Form1::cardDispatch(const QString& currentTime) {
    if (!operations_) return;
    const QString idm = operations_->ReadIdm();
    // A card left lying on the reader after its operation must not record again and again:
    // it counts as no card until a read finds none or another one.
    if (idm != restingIdm_) restingIdm_.clear();
    名前->setText(restingIdm_.isEmpty() ? operations_->Felica(idm) : QString());
    if (名前->text().isEmpty()) return;
    if (isMorning(currentTime))
        operations_->ClockIn();
    else
        operations_->ClockOut();
    restingIdm_ = idm;
    Timer1.setInterval(5000);
}

void Form1::Timer1_Timer() {
    const QString owner = ownerName(services_.files);
    if (!owner.isEmpty() && Timer1.interval() == 5000) {
        services_.programEnd.endProgram(0);
        return;
    }
    ResetToIdle();
}

void Form1::WaitSeconds(int n) {
    // Nothing repaints during the wait: show the window as it stands now, also where a
    // prompt that has just closed lay over it.
    repaint();
    const int start = secondsValue(services_.clock.timeText());
    int target = start + n;
    const bool nextMinute = target >= 60;
    if (nextMinute) target -= 60;
    bool turned = false;
    for (;;) {
        const int s = secondsValue(services_.clock.timeText());
        if (s < start) turned = true;
        if ((!nextMinute || turned) && s >= target) return;
        // Pausing spares the processor; no window event is handled meanwhile.
        services_.clock.sleep(std::chrono::milliseconds(20));
    }
}

} // namespace velmora
