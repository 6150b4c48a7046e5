#pragma once
// The terminal window (Form1): the clock, the status line, the present user's name and the
// arrival and leaving buttons. It draws the terminal's screen and forwards its input.

#include "terminal/screen.h"
#include "terminalwidgets/captionlabel.h"

#include <QLabel>
#include <QPixmap>
#include <QWidget>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace velmora {

class Terminal;

// The big clock label: a click on it asks for a time to record.
class ClickableLabel : public CaptionLabel {
    Q_OBJECT
public:
    using CaptionLabel::CaptionLabel;
signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
};

class TerminalWindow : public QWidget, public TerminalView {
    Q_OBJECT
public:
    explicit TerminalWindow(QWidget* parent = nullptr);
    void attach(Terminal& terminal);

    void draw(const Screen& screen) override;
    void repaintNow() override { repaint(); }
    void dropQueuedInput() override;
    QString askTime(const QString& question, const QString& start) override;
    void showRegistration() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildControls();

    Terminal* terminal_ = nullptr;
    QPixmap background_;
    QPushButton* quitButton_;     // Command1
    QPushButton* arrivalButton_;  // 出
    QPushButton* leavingButton_;  // 退
    QPushButton* settingsButton_; // 設定
    QPushButton* cancelButton_;   // 中止
    QCheckBox* shutdownBox_;      // Check1
    QLabel* shutdownCaption_;     // Label_shutdown
    ClickableLabel* clockLabel_;  // mess
    CaptionLabel* secondsBar_;    // Sec
    CaptionLabel* statusLabel_;   // 動作状態
    CaptionLabel* nameLabel_;     // 名前
    QLineEdit* keyedTime_;        // タイム
};

} // namespace velmora
