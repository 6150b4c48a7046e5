#pragma once
// The windows' design units: positions in twips (15 to a pixel), fonts in points.

#include <QColor>
#include <QFont>
#include <QRect>
#include <QString>

class QLabel;
class QPushButton;
class QWidget;

namespace velmora {

inline const QString kPGothic = QStringLiteral("ＭＳ Ｐゴシック");
inline const QString kGothic = QStringLiteral("ＭＳ ゴシック");

constexpr QRect twips(int left, int top, int width, int height) {
    return {(left + 7) / 15, (top + 7) / 15, (width + 7) / 15, (height + 7) / 15};
}

// The design fonts are Windows fonts, taken by name there; elsewhere they map to the
// metric-compatible IPA fonts.
QFont designFont(double points, const QString& family = kPGothic);
// Design sizes are points at 96 dpi; on any other screen the text keeps that pixel size,
// or it would no longer fit the labels, whose places are given in pixels.
void setDesignSize(QFont& font, double points);

// Controls as the windows' designs give them: an object name and a place in twips.
template <class W> W* control(QWidget* parent, const char* name, const QRect& rect) {
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromUtf8(name));
    widget->setGeometry(rect);
    return widget;
}
QLabel* label(QWidget* parent, const char* name, const QString& caption, const QRect& rect);
// No button is a default one: Enter presses nothing, only a click does.
QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& rect);

void setTextColor(QWidget* widget, const QColor& color);
// A "graphical" button: a plain face of one colour.
void setFaceColor(QWidget* widget, const QColor& color);

} // namespace velmora
