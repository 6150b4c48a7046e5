#include "terminalwidgets/dialogprompts.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>

namespace velmora {

namespace {
const QString kTitle = QStringLiteral("Velmora");
}

QString DialogPrompts::inputBox(const QString& prompt) {
    QInputDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("inputBox"));
    dialog.setWindowTitle(kTitle);
    dialog.setLabelText(QString(prompt).replace(u'\r', u'\n'));
    dialog.setInputMode(QInputDialog::TextInput);
    if (dialog.exec() != QDialog::Accepted) return {};
    return dialog.textValue();
}

void DialogPrompts::messageBox(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, kTitle, text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("messageBox"));
    box.exec();
}

} // namespace velmora
