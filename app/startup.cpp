// Start-up of the terminal window.

#include "form1.h"
#include "names.h"
#include "userdata.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

namespace velmora {

bool Form1::Form_Load() {
    bool loaded = false;
    handle([&] {
        auto owner = readOwnerName(services_.files);
        if (!owner) {
            // A file of zero bytes holds no name either: ask as on the very first start.
            writeOwnerName(services_.files, firstUsePrompt());
            owner = ownerName(services_.files);
        }

        名前->setText(*owner);
        if (owner->isEmpty()) {
            Check1->setChecked(false);
            Check1->hide();
            Label_shutdown->hide();
        } else {
            設定->hide();
            動作状態->hide();
        }
        タイム->setText(QString());

        services_.files.createIfMissing(kRecordFile);
        services_.files.createIfMissing(kRegistryFile);
        loaded = true;
    });
    // The tick starts only now, so that it never runs under the first-use prompt.
    if (loaded) Timer2.setInterval(1000);
    return loaded;
}

QString Form1::firstUsePrompt() {
    const QString prompt = QStringLiteral("初めての使用\r\r　名前を入力してください。");
    for (;;) {
        QString answer = services_.prompts.inputBox(prompt);
        if (isStorableName(answer)) return answer;
        services_.prompts.messageBox(kUnstorableNameMessage);
    }
}

} // namespace velmora
