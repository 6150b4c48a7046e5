#include "terminalwidgets/registrationwindow.h"

#include "terminal/terminal.h"
#include "terminalwidgets/look.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velmora {

RegistrationWindow::RegistrationWindow(Terminal& terminal, QWidget* parent)
    : QDialog(parent), terminal_(terminal) {
    setObjectName(QStringLiteral("登録フォーム"));
    setWindowTitle(QStringLiteral("Felica利用者カード設定"));
    setFixedSize(twips(0, 0, 6000, 2730).size());
    setFont(designFont(9));

    label(this, "Label1", QStringLiteral("利用者名"), twips(240, 240, 1095, 255));

    nameBox_ = control<QLineEdit>(this, "名前", twips(1440, 120, 2895, 495));
    nameBox_->setFont(designFont(15.75, kPGothic));

    QPushButton* readCard =
        button(this, "Felicaチェック", QStringLiteral("Felica"), twips(4560, 120, 855, 495));

    label(this, "Label2",
          QStringLiteral("登録するカードを、Felicaポートにかざし、FeliCaボタンを押す。 "),
          twips(360, 840, 5175, 375));

    cardIdm_ = label(this, "ID", QString(), twips(600, 1320, 4935, 375));
    cardIdm_->setTextFormat(Qt::PlainText); // whatever the reader wrote, shown as it is
    cardIdm_->setFont(designFont(15.75, kGothic));

    QPushButton* cancel =
        button(this, "中止", QStringLiteral("中止"), twips(1680, 2040, 1095, 495));
    QPushButton* finish =
        button(this, "登録終了", QStringLiteral("登録して終了"), twips(3000, 2040, 2535, 495));

    setTabOrder(nameBox_, readCard);
    setTabOrder(readCard, cancel);
    setTabOrder(cancel, finish);
    nameBox_->setFocus();

    connect(readCard, &QPushButton::clicked, this,
            [this] { cardIdm_->setText(terminal_.readCardToRegister()); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::close);
    connect(finish, &QPushButton::clicked, this, [this] {
        if (terminal_.registerCard(nameBox_->text(), cardIdm_->text())) close();
    });
}

} // namespace velmora
