#include "terminal/clocktext.h"

namespace velmora {

QString currentTimeText(const QString& t) {
    qsizetype p1 = t.indexOf(u':');
    qsizetype p2 = t.indexOf(u':', 3);
    if (p1 < 0 || p2 < 0) return QStringLiteral("00:00");
    QString hour = (QStringLiteral("0") + t.left(p1 + 1)).right(3);
    QString minute = (QStringLiteral("0") + t.mid(p1 + 1, p2 - p1 - 1)).right(2);
    return hour + minute;
}

int secondsValue(const QString& t) { return t.right(2).toInt(); }

} // namespace velmora
