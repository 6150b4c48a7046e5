#include "windows/captionlabel.h"

#include <QPainter>

namespace velmora {

void CaptionLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QString caption = text();
    if (caption.isEmpty()) return;
    if (backdrop_) painter.drawPixmap(0, 0, *backdrop_, x(), y(), width(), height());
    Qt::Alignment align = alignment();
    if (fontMetrics().horizontalAdvance(caption) > width())
        align = (align & ~Qt::AlignHorizontal_Mask) | Qt::AlignLeft;
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(rect(), int(align), caption);
}

} // namespace velmora
