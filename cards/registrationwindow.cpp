#include "registrationwindow.h"

#include "cards.h"
#include "cp932.h"
#include "fields.h"
#include "form1.h"
#include "look.h"
#include "names.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace velmora {

登録フォーム::登録フォーム(Form1& form, QWidget* parent) : QDialog(parent), form_(form) {
    setObjectName(QStringLiteral("登録フォーム"));
    setWindowTitle(QStringLiteral("Felica利用者カード設定"));
    setFixedSize(twips(0, 0, 6000, 2730).size());
    setFont(designFont(9));

    Label1 = label(this, "Label1", QStringLiteral("利用者名"), twips(240, 240, 1095, 255));

    名前 = control<QLineEdit>(this, "名前", twips(1440, 120, 2895, 495));
    名前->setFont(designFont(15.75, kPGothic));

    Felicaチェック =
        button(this, "Felicaチェック", QStringLiteral("Felica"), twips(4560, 120, 855, 495));

    Label2 = label(this, "Label2",
                   QStringLiteral("登録するカードを、Felicaポートにかざし、FeliCaボタンを押す。 "),
                   twips(360, 840, 5175, 375));

    ID = label(this, "ID", QString(), twips(600, 1320, 4935, 375));
    ID->setTextFormat(Qt::PlainText); // whatever the reader wrote, shown as it is
    ID->setFont(designFont(15.75, kGothic));

    中止 = button(this, "中止", QStringLiteral("中止"), twips(1680, 2040, 1095, 495));
    登録終了 =
        button(this, "登録終了", QStringLiteral("登録して終了"), twips(3000, 2040, 2535, 495));

    setTabOrder(名前, Felicaチェック);
    setTabOrder(Felicaチェック, 中止);
    setTabOrder(中止, 登録終了);
    名前->setFocus();

    // The window is shown from the settings handler: a fault in a click (the registry
    // cannot be written, the reader library is missing) ends the program with its message.
    connect(Felicaチェック, &QPushButton::clicked, this,
            [this] { form_.guarded([this] { Felicaチェック_Click(); }); });
    connect(中止, &QPushButton::clicked, this, [this] { form_.guarded([this] { 中止_Click(); }); });
    connect(登録終了, &QPushButton::clicked, this,
            [this] { form_.guarded([this] { 登録終了_Click(); }); });
}

QString 登録フォーム::Felica() {
    return readIdm(form_.services().cardLibrary);
}

void 登録フォーム::Felicaチェック_Click() {
    ID->setText(Felica());
}

void 登録フォーム::中止_Click() {
    close();
}

void 登録フォーム::登録終了_Click() {
    Services& services = form_.services();
    const QString name = 名前->text();
    if (name.isEmpty()) {
        services.prompts.messageBox(kNoNameMessage);
        return;
    }
    // The registry has no escape and is CP932: such a name would spoil its own line and
    // the lines after it.
    if (!isStorableName(name)) {
        services.prompts.messageBox(kUnstorableNameMessage);
        return;
    }
    // The same holds for the IDm; a read the file cannot hold is no usable card read.
    const QString idm = ID->text();
    if (idm.isEmpty() || !isStorableName(idm)) {
        services.prompts.messageBox(kNoCardMessage);
        return;
    }
    services.files.appendLine(kRegistryFile, quotedLine({*toCp932(idm), *toCp932(name)}));
    close();
}

void OpenSettings(Form1& form) {
    form.Timer1.setInterval(0);
    form.Timer2.setInterval(0);
    {
        登録フォーム window(form);
        form.services().prompts.showModal(window);
    }
    form.WaitSeconds(5);
    form.Timer2.setInterval(10);
}

} // namespace velmora
