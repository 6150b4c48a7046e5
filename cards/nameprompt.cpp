// The name prompt: a registered card or a typed name, three card reads at most.

#include "cards.h"
#include "form1.h"
#include "names.h"

namespace velmora {

namespace {
constexpr int kCardReads = 3;
const QString kNamePromptStatus = QStringLiteral("氏名:Felicaをかざしてください");
// CR alone breaks the line in an input prompt: heading, blank line, instruction.
const QString kNamePromptText =
    QStringLiteral("氏名の入力\r\r氏名を入力するか。登録されたFelicaカードを当ててOK");
} // namespace

void AskName(Form1& form) {
    Prompts& prompts = form.services().prompts;

    form.動作状態->setText(kNamePromptStatus);
    Form1::setFontSize(form.動作状態, 14);
    // The waits below repaint nothing: show the prompt now.
    Form1::repaintNow(form.動作状態);

    int reads = 0;
    QString name;
    for (;;) {
        form.WaitSeconds(5);
        ++reads;
        name = Felica(form);
        if (reads >= kCardReads || !name.isEmpty()) break;

        name = prompts.inputBox(kNamePromptText);
        // A name the record file cannot hold would spoil it: refuse it here, and the user
        // gets the next card read or input box as after an empty answer.
        if (!name.isEmpty() && !isStorableName(name)) {
            prompts.messageBox(kUnstorableNameMessage);
            name.clear();
        }
        if (!name.isEmpty()) break;
    }

    form.動作状態->setText(QString());
    Form1::setFontSize(form.名前, 28);
    form.名前->setText(name);
}

} // namespace velmora
