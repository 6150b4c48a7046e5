#include "timeentry/typedtime.h"

#include <QRegularExpression>

namespace velmora {

std::optional<QString> typedTime(const QString& text) {
    QString time;
    for (const QChar c : text) {
        const bool wide = (c >= u'０' && c <= u'９') || c == u'：';
        time += wide ? QChar(c.unicode() - (u'０' - u'0')) : c;
    }
    static const QRegularExpression shape(
        QRegularExpression::anchoredPattern(QStringLiteral("([0-9]{1,2}):([0-5][0-9])")));
    const QRegularExpressionMatch match = shape.match(time);
    if (!match.hasMatch()) return std::nullopt;
    const int hour = match.captured(1).toInt(), minute = match.captured(2).toInt();
    if (hour > 24 || (hour == 24 && minute > 0)) return std::nullopt;
    return time;
}

} // namespace velmora
