#include "timepanel.h"

#include "form1.h"
#include "look.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velmora {

namespace {

// The display is rewritten from its own text each time: the hour is whatever stands
// before the colon ("00" at first), the minute the two characters after it.
struct Display {
    QString hourText;
    QString minuteText;
    int hour() const { return hourText.toInt(); }
    int minute() const { return minuteText.toInt(); }
};

Display split(const QString& display) {
    const qsizetype pos = display.indexOf(u':');
    if (pos < 0) return {display, QString()};
    return {display.left(pos), display.mid(pos + 1, 2)};
}

QString withHour(int hour, const Display& d) {
    return QString::number(hour) + u':' + d.minuteText;
}

QString withMinute(const Display& d, int minute) {
    return d.hourText + u':' + QStringLiteral("%1").arg(minute, 2, 10, QChar(u'0'));
}

} // namespace

QString hourUp(const QString& display) {
    const Display d = split(display);
    int h = d.hour() + 1;
    if (h > 23) h = 0;
    return withHour(h, d);
}

QString hourDown(const QString& display) {
    const Display d = split(display);
    int h = d.hour() - 1;
    if (h < 0) h = 23;
    return withHour(h, d);
}

QString minuteUp(const QString& display) {
    const Display d = split(display);
    int m = d.minute();
    m -= m % 5; // an off-grid minute from the clock lands on the grid first
    m += 5;
    if (m > 59) m = 0;
    return withMinute(d, m);
}

QString minuteDown(const QString& display) {
    const Display d = split(display);
    int m = d.minute();
    // Adds the remainder instead of removing it: an off-grid minute taken from the clock
    // stays off the grid (37 gives 34, 02 wraps to 55), as users of the panel know it.
    m += m % 5;
    m -= 5;
    if (m < 0) m = 55;
    return withMinute(d, m);
}

namespace {

QPushButton* stepButton(QWidget* parent, const char* name, const QString& caption,
                        double points, const QRect& rect) {
    auto* b = button(parent, name, caption, rect);
    b->setFont(designFont(points));
    return b;
}

} // namespace

時間の入力パネル::時間の入力パネル(Form1& form) : QDialog(nullptr), form_(form) {
    setObjectName(QStringLiteral("時間の入力パネル"));
    setWindowTitle(QStringLiteral("時間の入力"));
    setFixedSize(twips(0, 0, 4785, 3435).size());
    QPalette back = palette();
    back.setColor(QPalette::Window, back.color(QPalette::HighlightedText));
    setPalette(back);
    setAutoFillBackground(true);
    setFont(designFont(9));

    mes = new QLabel(QStringLiteral("Label2"), this);
    mes->setObjectName(QStringLiteral("mes"));
    mes->setGeometry(twips(240, 240, 3375, 615));
    mes->setFont(designFont(24));
    mes->setAlignment(Qt::AlignCenter);
    setTextColor(mes, QColor(0, 0, 255));

    Label1 = new QLabel(QStringLiteral("00:00"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(twips(240, 1680, 3255, 735));
    Label1->setFont(designFont(36));
    Label1->setAlignment(Qt::AlignCenter);
    setTextColor(Label1, QColor(128, 255, 128));
    QPalette face = Label1->palette();
    face.setColor(QPalette::Window, palette().color(QPalette::ButtonText));
    Label1->setPalette(face);
    Label1->setAutoFillBackground(true);

    const QString plus = QStringLiteral("+");
    const QString minus = QStringLiteral("-");
    Command1 = stepButton(this, "Command1", plus, 48, twips(600, 840, 1095, 855));
    Command2 = stepButton(this, "Command2", minus, 48, twips(600, 2400, 1095, 855));
    Command3 = stepButton(this, "Command3", plus, 48, twips(2040, 840, 1095, 855));
    Command4 = stepButton(this, "Command4", minus, 48, twips(2040, 2400, 1095, 855));
    Command5 = stepButton(this, "Command5", QStringLiteral("OK"), 36,
                          twips(3480, 840, 1095, 2415));
    setTabOrder(Command1, Command2);
    setTabOrder(Command2, Command3);
    setTabOrder(Command3, Command4);
    setTabOrder(Command4, Command5);

    auto wire = [this](QPushButton* button, void (時間の入力パネル::*click)()) {
        connect(button, &QPushButton::clicked, this,
                [this, click] { form_.guarded([this, click] { (this->*click)(); }); });
    };
    wire(Command1, &時間の入力パネル::Command1_Click);
    wire(Command2, &時間の入力パネル::Command2_Click);
    wire(Command3, &時間の入力パネル::Command3_Click);
    wire(Command4, &時間の入力パネル::Command4_Click);
    wire(Command5, &時間の入力パネル::Command5_Click);

    // The panel's load: the clock stops while a time is being chosen and stays stopped
    // until the terminal returns to idle.
    form_.Timer2.setInterval(0);
}

void 時間の入力パネル::Command1_Click() { Label1->setText(hourUp(Label1->text())); }
void 時間の入力パネル::Command2_Click() { Label1->setText(hourDown(Label1->text())); }
void 時間の入力パネル::Command3_Click() { Label1->setText(minuteUp(Label1->text())); }
void 時間の入力パネル::Command4_Click() { Label1->setText(minuteDown(Label1->text())); }

void 時間の入力パネル::Command5_Click() {
    form_.タイム->setText(Label1->text());
    accept();
}

void askTime(Form1& form, const QString& prompt, const QString& start) {
    時間の入力パネル panel(form);
    if (!start.isEmpty()) panel.Label1->setText(start);
    panel.mes->setText(prompt);
    form.services().prompts.showModal(panel);
}

} // namespace velmora
