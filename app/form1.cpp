#include "form1.h"

#include "assets.h"
#include "captionlabel.h"
#include "look.h"
#include "names.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QValidator>

namespace velmora {

namespace {

const QColor kLightCyan(128, 255, 255);
const QColor kLightGreen(128, 255, 128);
const QColor kLightGrey(212, 208, 200);

// The time box's text goes into a record as typed: keep out what a record cannot hold.
class StorableTextValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        return isStorableName(input) ? Acceptable : Invalid;
    }
};

} // namespace

void ClickableLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit clicked();
    QLabel::mousePressEvent(event);
}

Form1::Form1(Services services, QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint), Timer2(0, this), Timer1(0, this),
      services_(std::move(services)), background_(assets::backgroundPath()) {
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

    Timer2.setObjectName(QStringLiteral("Timer2"));
    Timer1.setObjectName(QStringLiteral("Timer1"));
    Timer2.onTick([this] { handle([this] { Timer2_Timer(); }); });
    Timer1.onTick([this] { handle([this] { Timer1_Timer(); }); });
}

void Form1::buildControls() {
    Command2 = button(this, "Command2", QStringLiteral("Command2"), twips(1200, 4200, 375, 255));
    Command2->hide();

    タイム2 = control<QLineEdit>(this, "タイム2", twips(1800, 2760, 1575, 270));
    タイム2->setText(QStringLiteral("Text1"));
    タイム2->hide();

    中止 = button(this, "中止", QStringLiteral("中止"), twips(2040, 3150, 615, 855));
    中止->setFont(designFont(18));
    setFaceColor(中止, QColor(255, 255, 0));
    中止->hide();

    設定 = button(this, "設定", QStringLiteral("設定"), twips(480, 4260, 495, 255));

    Command1 = button(this, "Command1", QStringLiteral("タイムレコーダーを終了する"),
                      twips(600, 30, 3615, 350));
    Command1->setFont(designFont(8.25));
    setFaceColor(Command1, QColor(255, 255, 192));

    Check1 = control<QCheckBox>(this, "Check1", twips(3120, 4200, 180, 180));
    Check1->setChecked(true);

    退 = button(this, "退", QStringLiteral("退勤"), twips(2760, 3150, 1575, 855));
    退->setFont(designFont(24));
    setFaceColor(退, QColor(255, 192, 192));

    出 = button(this, "出", QStringLiteral("出勤"), twips(480, 3150, 1455, 855));
    出->setFont(designFont(24));
    setFaceColor(出, QColor(0, 255, 255));

    // Created before the time box, which lies over it and must stay on top.
    auto* clock = control<ClickableLabel>(this, "mess", twips(480, 1080, 3855, 855));
    connect(clock, &ClickableLabel::clicked, this, [this] { clickMess(); });
    mess = clock;
    mess->setFont(designFont(48));
    mess->setAlignment(Qt::AlignCenter);
    setTextColor(mess, kLightCyan);

    タイム = control<QLineEdit>(this, "タイム", twips(1080, 1080, 2655, 900));
    タイム->setText(QStringLiteral("Text1"));
    タイム->setFont(designFont(48));
    タイム->setFrame(false);
    タイム->setValidator(new StorableTextValidator(タイム));
    タイム->setStyleSheet(QStringLiteral("QLineEdit { background-color: black; color: %1; }")
                            .arg(kLightCyan.name()));
    タイム->hide();

    Sec = label(this, "Sec", QString(57, QChar(0xFF65)), twips(720, 1920, 3615, 135));
    Sec->setFont(designFont(6.75));
    setTextColor(Sec, kLightCyan);

    動作状態 = control<CaptionLabel>(this, "動作状態", twips(360, 2280, 4095, 375));
    動作状態->setText(QStringLiteral("動作状態"));
    動作状態->setFont(designFont(15.75));
    動作状態->setAlignment(Qt::AlignCenter);
    setTextColor(動作状態, kLightGreen);

    Label3 = label(this, "Label3", QStringLiteral("Orlastine"), twips(1440, 600, 2295, 255));
    setTextColor(Label3, kLightGrey);

    Label2 = label(this, "Label2", QStringLiteral("Velmora attendance time clock  Ver.120812"),
                   twips(480, 4560, 3855, 255));

    Label_shutdown =
        label(this, "Label_shutdown", QStringLiteral("ShutDown"), twips(3360, 4200, 765, 180));
    // The substitute fonts set Latin text a little wider than the Windows ones did.
    Label_shutdown->resize(std::max(Label_shutdown->width(), Label_shutdown->sizeHint().width()),
                           Label_shutdown->height());

    auto* name = control<CaptionLabel>(this, "名前", twips(840, 2160, 3135, 615));
    name->setBackdrop(&background_);
    名前 = name;
    名前->setText(QStringLiteral("名前"));
    名前->setFont(designFont(24));
    名前->setAlignment(Qt::AlignCenter);
    setTextColor(名前, kLightGreen);

    // Labels never take the focus; these are the controls that can, in the window's order.
    QWidget* order[] = {Command1, タイム, 出, 退, Check1, 設定, 中止, タイム2, Command2};
    for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
    for (QWidget* w : order) w->setFocusPolicy(w == タイム ? Qt::StrongFocus : Qt::TabFocus);
    Check1->setFocusPolicy(Qt::StrongFocus);

    connect(Command1, &QPushButton::clicked, this, [this] { handle([this] { Command1_Click(); }); });
    connect(中止, &QPushButton::clicked, this, [this] { handle([this] { 中止_Click(); }); });
    connect(出, &QPushButton::clicked, this, [this] { handle([this] { 出_Click(); }); });
    connect(退, &QPushButton::clicked, this, [this] { handle([this] { 退_Click(); }); });
    connect(設定, &QPushButton::clicked, this, [this] { handle([this] { 設定_Click(); }); });
}

void Form1::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (background_.isNull()) return;
    QPainter painter(this);
    painter.drawPixmap(0, 0, background_);
}

void Form1::setFontSize(QWidget* widget, double points) {
    QFont font = widget->font();
    font.setPointSizeF(points);
    widget->setFont(font);
}

double Form1::fontSize(const QWidget* widget) { return widget->font().pointSizeF(); }

void Form1::repaintNow(QWidget* widget) { widget->repaint(); }

void Form1::handle(const std::function<void()>& work) {
    if (busy_) return;
    busy_ = true;
    guarded(work);
    busy_ = false;
}

void Form1::guarded(const std::function<void()>& work) {
    try {
        work();
    } catch (const Failure& failure) {
        services_.prompts.messageBox(failure.message());
        services_.programEnd.endProgram(1);
    }
}

void Form1::Command1_Click() { services_.programEnd.endProgram(0); }

void Form1::中止_Click() { ResetToIdle(); }

void Form1::出_Click() {
    if (operations_) operations_->ClockIn();
}

void Form1::退_Click() {
    if (operations_) operations_->ClockOut();
}

void Form1::設定_Click() {
    if (operations_) operations_->OpenSettings();
}

void Form1::clickMess() {
    // A click while the follow-up is armed would be cut short by it: wait for idle.
    if (Timer1.interval() != 0) return;
    handle([this] {
        if (operations_) operations_->mess_Click();
    });
}

void Form1::ResetToIdle() {
    Timer1.setInterval(0);
    Timer2.setInterval(1000);
    mess->setText(QString());
    タイム->setText(QString());
    タイム->hide();
    動作状態->setText(QStringLiteral("Felicaをかざしてください。"));
    setFontSize(動作状態, 16);
    中止->hide();
    setFontSize(名前, 24);
    名前->setText(QString());
    出->setEnabled(true);
    退->setEnabled(true);
}

} // namespace velmora
