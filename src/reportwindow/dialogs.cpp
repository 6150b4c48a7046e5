#include "reportwindow/dialogs.h"

#include "texts/texts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

namespace velmora {

Dialogs::Unsaved QtDialogs::unsaved(QWidget* parent, const QString& text) {
    QMessageBox ask(QMessageBox::Question, texts::kUnsavedTitle, text, QMessageBox::NoButton,
                    parent);
    ask.setObjectName(QStringLiteral("unsaved"));
    QPushButton* save = ask.addButton(texts::kSaveAnswer, QMessageBox::AcceptRole);
    QPushButton* discard = ask.addButton(texts::kDiscardAnswer, QMessageBox::DestructiveRole);
    QPushButton* cancel = ask.addButton(texts::kCancelAnswer, QMessageBox::RejectRole);
    ask.setDefaultButton(save);
    ask.setEscapeButton(cancel);
    ask.exec();
    return ask.clickedButton() == save      ? Unsaved::Save
           : ask.clickedButton() == discard ? Unsaved::Discard
                                            : Unsaved::Cancel;
}

bool QtDialogs::confirm(QWidget* parent, const QString& name, const QString& title,
                        const QString& text) {
    QMessageBox ask(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    ask.setObjectName(name);
    ask.setDefaultButton(QMessageBox::No);
    return ask.exec() == QMessageBox::Yes;
}

QStringList QtDialogs::openFiles(QWidget* parent, const QString& title, const QString& filter) {
    return QFileDialog::getOpenFileNames(parent, title, {}, filter);
}

QString QtDialogs::folder(QWidget* parent, const QString& title, const QString& start) {
    return QFileDialog::getExistingDirectory(parent, title, start);
}

std::optional<int> QtDialogs::year(QWidget* parent, const QString& title, const QString& text,
                                   int latest) {
    bool ok = false;
    const int year = QInputDialog::getInt(parent, title, text, latest, 2000, latest, 1, &ok);
    return ok ? std::optional(year) : std::nullopt;
}

} // namespace velmora
