#pragma once

#include <QLabel>
#include <QPixmap>

namespace velmora {

// A label drawn over the window's picture whose text is always seen whole; with a backdrop,
// a label that has text hides what lies under it (the name covers the status line it
// overlaps).
class CaptionLabel : public QLabel {
public:
    using QLabel::QLabel;
    void setBackdrop(const QPixmap* picture) { backdrop_ = picture; }

protected:
    void paintEvent(QPaintEvent* event) override;
    static constexpr int kMargin = 2;

private:
    const QPixmap* backdrop_ = nullptr;
};

} // namespace velmora
