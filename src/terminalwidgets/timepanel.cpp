#include "terminalwidgets/timepanel.h"

#include "terminalwidgets/look.h"
#include "timeentry/timesteps.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>

namespace velmora {

TimePanel::TimePanel(const QString& question, const QString& start)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("時間の入力パネル"));
    setWindowTitle(QStringLiteral("時間の入力"));
    setFixedSize(twips(0, 0, 4785, 3435).size());
    QPalette back = palette();
    back.setColor(QPalette::Window, back.color(QPalette::HighlightedText));
    setPalette(back);
    setAutoFillBackground(true);
    setFont(designFont(9));

    QLabel* questionLabel = label(this, "mes", question, twips(240, 240, 3375, 615));
    questionLabel->setFont(designFont(24));
    questionLabel->setAlignment(Qt::AlignCenter);
    setTextColor(questionLabel, QColor(0, 0, 255));

    display_ = label(this, "Label1", start.isEmpty() ? QStringLiteral("00:00") : start,
                     twips(240, 1680, 3255, 735));
    display_->setFont(designFont(36));
    display_->setAlignment(Qt::AlignCenter);
    setTextColor(display_, QColor(128, 255, 128));
    QPalette face = display_->palette();
    face.setColor(QPalette::Window, palette().color(QPalette::ButtonText));
    display_->setPalette(face);
    display_->setAutoFillBackground(true);

    struct Step {
        const char* name;
        const char* caption;
        QRect place;
        QString (*step)(const QString&);
    };
    const Step steps[] = {
        {"Command1", "+", twips(600, 840, 1095, 855), hourUp},
        {"Command2", "-", twips(600, 2400, 1095, 855), hourDown},
        {"Command3", "+", twips(2040, 840, 1095, 855), minuteUp},
        {"Command4", "-", twips(2040, 2400, 1095, 855), minuteDown},
    };
    QWidget* previous = nullptr;
    for (const Step& s : steps) {
        QPushButton* b = button(this, s.name, QString::fromLatin1(s.caption), s.place);
        b->setFont(designFont(48));
        connect(b, &QPushButton::clicked, this,
                [this, step = s.step] { display_->setText(step(display_->text())); });
        if (previous) setTabOrder(previous, b);
        previous = b;
    }
    QPushButton* ok = button(this, "Command5", QStringLiteral("OK"), twips(3480, 840, 1095, 2415));
    ok->setFont(designFont(36));
    setTabOrder(previous, ok);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

QString TimePanel::time() const { return display_->text(); }

void TimePanel::closeEvent(QCloseEvent* event) { event->ignore(); }

} // namespace velmora
