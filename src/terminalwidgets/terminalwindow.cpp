#include "terminalwidgets/terminalwindow.h"

#include "assets/assets.h"
#include "terminal/terminal.h"
#include "terminalwidgets/captionlabel.h"
#include "terminalwidgets/look.h"
#include "terminalwidgets/registrationwindow.h"
#include "terminalwidgets/timepanel.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace velmora {

namespace {

const QColor kLightCyan(128, 255, 255);
const QColor kLightGreen(128, 255, 128);
const QColor kLightGrey(212, 208, 200);

void setPoints(QWidget* widget, double points) {
    QFont font = widget->font();
    setDesignSize(font, points);
    if (font != widget->font()) widget->setFont(font);
}

} // namespace

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit clicked();
    CaptionLabel::mousePressEvent(event);
}

TerminalWindow::TerminalWindow(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint), background_(assets::backgroundPath()) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Velmora 2011.06.30"));
    setWindowIcon(QIcon(assets::iconPath()));
    setFixedSize(twips(0, 0, 4755, 4800).size());
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::black); // the system's menu-text colour
    setPalette(palette);
    setAutoFillBackground(true);
    setFont(designFont(9));
    buildControls();
}

void TerminalWindow::buildControls() {
    cancelButton_ = button(this, "中止", QStringLiteral("中止"), twips(2040, 3150, 615, 855));
    cancelButton_->setFont(designFont(18));
    setFaceColor(cancelButton_, QColor(255, 255, 0));
    cancelButton_->hide();

    settingsButton_ = button(this, "設定", QStringLiteral("設定"), twips(480, 4260, 495, 255));

    quitButton_ = button(this, "Command1", QStringLiteral("タイムレコーダーを終了する"),
                         twips(600, 30, 3615, 350));
    quitButton_->setFont(designFont(8.25));
    setFaceColor(quitButton_, QColor(255, 255, 192));

    shutdownBox_ = control<QCheckBox>(this, "Check1", twips(3120, 4200, 180, 180));
    shutdownBox_->setChecked(true);

    leavingButton_ = button(this, "退", QStringLiteral("退勤"), twips(2760, 3150, 1575, 855));
    leavingButton_->setFont(designFont(24));
    setFaceColor(leavingButton_, QColor(255, 192, 192));

    arrivalButton_ = button(this, "出", QStringLiteral("出勤"), twips(480, 3150, 1455, 855));
    arrivalButton_->setFont(designFont(24));
    setFaceColor(arrivalButton_, QColor(0, 255, 255));

    // Created before the time box, which lies over it and must stay on top.
    clockLabel_ = control<ClickableLabel>(this, "mess", twips(480, 1080, 3855, 855));
    clockLabel_->setFont(designFont(48));
    clockLabel_->setAlignment(Qt::AlignCenter);
    setTextColor(clockLabel_, kLightCyan);

    keyedTime_ = control<QLineEdit>(this, "タイム", twips(1080, 1080, 2655, 900));
    keyedTime_->setText(QStringLiteral("Text1"));
    keyedTime_->setFont(designFont(48));
    keyedTime_->setFrame(false);
    // "24:00" at most; what else is typed is refused by the terminal with a message.
    keyedTime_->setMaxLength(5);
    keyedTime_->setStyleSheet(
        QStringLiteral("QLineEdit { background-color: black; color: %1; }").arg(kLightCyan.name()));
    keyedTime_->hide();

    secondsBar_ = control<CaptionLabel>(this, "Sec", twips(720, 1920, 3615, 135));
    secondsBar_->setText(QString(57, QChar(0xFF65)));
    secondsBar_->setFont(designFont(6.75));
    setTextColor(secondsBar_, kLightCyan);

    statusLabel_ = control<CaptionLabel>(this, "動作状態", twips(360, 2280, 4095, 375));
    statusLabel_->setText(texts::kStatusDesign);
    statusLabel_->setFont(designFont(15.75));
    statusLabel_->setAlignment(Qt::AlignCenter);
    setTextColor(statusLabel_, kLightGreen);

    setTextColor(label(this, "Label3", QStringLiteral("Orlastine"), twips(1440, 600, 2295, 255)),
                 kLightGrey);
    label(this, "Label2", QStringLiteral("Velmora attendance time clock  Ver.120812"),
          twips(480, 4560, 3855, 255));

    shutdownCaption_ =
        label(this, "Label_shutdown", QStringLiteral("ShutDown"), twips(3360, 4200, 765, 180));
    // The substitute fonts set Latin text a little wider than the Windows ones did.
    shutdownCaption_->resize(
        std::max(shutdownCaption_->width(), shutdownCaption_->sizeHint().width()),
        shutdownCaption_->height());

    nameLabel_ = control<CaptionLabel>(this, "名前", twips(840, 2160, 3135, 615));
    nameLabel_->setBackdrop(&background_);
    nameLabel_->setText(texts::kNameDesign);
    nameLabel_->setFont(designFont(24));
    nameLabel_->setAlignment(Qt::AlignCenter);
    setTextColor(nameLabel_, kLightGreen);

    // Labels never take the focus; these are the controls that can, in the window's order.
    QWidget* order[] = {quitButton_,  keyedTime_,      arrivalButton_, leavingButton_,
                        shutdownBox_, settingsButton_, cancelButton_};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    for (QWidget* w : order) w->setFocusPolicy(w == keyedTime_ ? Qt::StrongFocus : Qt::TabFocus);
    shutdownBox_->setFocusPolicy(Qt::StrongFocus);
    // The window itself holds the focus at start, so that Space or Enter press nothing: the
    // quit button, first in the tab order, would otherwise have it and end the program.
    setFocus();
}

void TerminalWindow::attach(Terminal& terminal) {
    terminal_ = &terminal;
    connect(quitButton_, &QPushButton::clicked, this, [this] { terminal_->quit(); });
    connect(cancelButton_, &QPushButton::clicked, this, [this] { terminal_->cancel(); });
    connect(arrivalButton_, &QPushButton::clicked, this, [this] { terminal_->arrive(); });
    connect(leavingButton_, &QPushButton::clicked, this, [this] { terminal_->leave(); });
    connect(settingsButton_, &QPushButton::clicked, this, [this] { terminal_->openSettings(); });
    connect(clockLabel_, &ClickableLabel::clicked, this, [this] { terminal_->clockClicked(); });
    connect(keyedTime_, &QLineEdit::textEdited, this,
            [this](const QString& text) { terminal_->timeTyped(text); });
    connect(shutdownBox_, &QCheckBox::toggled, this,
            [this](bool checked) { terminal_->shutdownChosen(checked); });
}

void TerminalWindow::draw(const Screen& screen) {
    setPoints(clockLabel_, screen.messagePoints);
    clockLabel_->setText(screen.message);
    secondsBar_->setText(QString(screen.seconds, QChar(0xFF65)));
    setPoints(statusLabel_, screen.statusPoints);
    statusLabel_->setText(screen.status);
    setPoints(nameLabel_, screen.userPoints);
    nameLabel_->setText(screen.user);
    if (keyedTime_->text() != screen.keyedTime) keyedTime_->setText(screen.keyedTime);
    if (screen.keyedTimeShown && keyedTime_->isHidden()) {
        keyedTime_->show();
        keyedTime_->setFocus();
    }
    keyedTime_->setHidden(!screen.keyedTimeShown);
    cancelButton_->setHidden(!screen.cancelShown);
    settingsButton_->setHidden(screen.personalPc);
    statusLabel_->setHidden(screen.personalPc);
    shutdownBox_->setHidden(!screen.personalPc);
    shutdownCaption_->setHidden(!screen.personalPc);
    if (shutdownBox_->isChecked() != screen.shutdownChosen) {
        const QSignalBlocker quiet(shutdownBox_);
        shutdownBox_->setChecked(screen.shutdownChosen);
    }
}

void TerminalWindow::dropQueuedInput() {
    struct InputFilter : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            return dynamic_cast<QInputEvent*>(event) != nullptr;
        }
    } filter;
    QCoreApplication::instance()->installEventFilter(&filter);
    QCoreApplication::processEvents();
    QCoreApplication::instance()->removeEventFilter(&filter);
}

QString TerminalWindow::askTime(const QString& question, const QString& start) {
    TimePanel panel(question, start);
    panel.exec();
    return panel.time();
}

void TerminalWindow::showRegistration() {
    RegistrationWindow window(*terminal_);
    window.exec();
}

void TerminalWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (background_.isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
}

} // namespace velmora
