#include "terminalwidgets/captionlabel.h"

#include <QPainter>
#include <algorithm>

namespace velmora {

void CaptionLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QString caption = text();
    if (caption.isEmpty()) return;
    if (backdrop_) painter.drawPixmap(0, 0, *backdrop_, x(), y(), width(), height());
    // A text wider than the label is drawn smaller until it fits, clear of both edges: cut,
    // a result loses its first digit and its 出 or 退.
    QFont font = this->font();
    const double room = width() - 2 * kMargin;
    for (double advance; (advance = QFontMetricsF(font).horizontalAdvance(caption)) > room &&
                         font.pointSizeF() > 1;)
        font.setPointSizeF(std::max(1.0, font.pointSizeF() * std::min(room / advance, 0.97)));
    painter.setFont(font);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), int(alignment()), caption);
}

} // namespace velmora
