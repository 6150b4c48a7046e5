#include "terminalwidgets/look.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QWidget>

namespace velmora {

void setDesignSize(QFont& font, double points) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    font.setPointSizeF(points * 96 / (screen ? screen->logicalDotsPerInchY() : 96));
}

QFont designFont(double points, const QString& family) {
    static const bool substituted = [] {
#ifdef _WIN32
        // Windows has the design fonts, under their English names outside a Japanese Windows.
        QFont::insertSubstitution(kPGothic, QStringLiteral("MS PGothic"));
        QFont::insertSubstitution(kGothic, QStringLiteral("MS Gothic"));
#else
        QFont::insertSubstitutions(kPGothic,
                                   {QStringLiteral("IPAPGothic"), QStringLiteral("IPA Pゴシック"),
                                    QStringLiteral("MS PGothic")});
        QFont::insertSubstitutions(kGothic,
                                   {QStringLiteral("IPAGothic"), QStringLiteral("IPAゴシック"),
                                    QStringLiteral("MS Gothic")});
#endif
        return true;
    }();
    (void)substituted;
    QFont font(family);
    setDesignSize(font, points);
    font.setWeight(QFont::Normal);
    return font;
}

QLabel* label(QWidget* parent, const char* name, const QString& caption, const QRect& rect) {
    auto* l = control<QLabel>(parent, name, rect);
    l->setText(caption);
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& rect) {
    auto* b = control<QPushButton>(parent, name, rect);
    b->setText(caption);
    b->setAutoDefault(false);
    return b;
}

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

void setFaceColor(QWidget* widget, const QColor& color) {
    widget->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; color: black;"
                                         " border: 2px outset %2; }"
                                         "QPushButton:pressed { border-style: inset; }"
                                         "QPushButton:disabled { color: gray; }")
                              .arg(color.name(), color.darker(140).name()));
}

} // namespace velmora
