#pragma once
// The time panel's step rules on its display text (hour ":" two-digit minute). The hour and
// the minute never carry into each other.

#include <QString>

namespace velmora {

QString hourUp(const QString& display);
QString hourDown(const QString& display);
QString minuteUp(const QString& display);
QString minuteDown(const QString& display);

} // namespace velmora
