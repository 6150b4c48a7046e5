#pragma once
// The windows' design units: positions in twips (15 to a pixel), fonts in points.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QWidget;

namespace velmora {

inline const QString kPGothic = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kGothic = QStringLiteral("ＭＳ ゴシック");

constexpr QRect twips(int left, int top, int width, int height) {
    return {(left + 7) / 15, (top + 7) / 15, (width + 7) / 15, (height + 7) / 15};
}

// The design fonts are Windows fonts; elsewhere they map to the metric-compatible IPA fonts.
QFont designFont(double points, const QString& family = kPGothic);

void setTextColor(QWidget* widget, const QColor& color);
// A "graphical" button: a plain face of one colour.
void setFaceColor(QWidget* widget, const QColor& color);

} // namespace velmora
