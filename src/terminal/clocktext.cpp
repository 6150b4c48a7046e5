#include "terminal/clocktext.h"

#include "storage/times.h"

namespace velmora {

QString currentTimeText(const QString& t) {
    return timeText(parseTime(t, {.seconds = TimeRule::AnySeconds}).value_or(0), 2);
}

int secondsValue(const QString& t) { return t.right(2).toInt(); }

} // namespace velmora
