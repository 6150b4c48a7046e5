#include "reportwindow/dialogs.h"

#include "report/report.h"
#include "texts/texts.h"

#include <QFileDialog>
#include <QFileSystemModel>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QSortFilterProxyModel>

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

void QtDialogs::warn(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::warning(parent, title, text);
}

std::optional<QString> QtDialogs::text(QWidget* parent, const QString& name, const QString& title,
                                       const QString& label) {
    QInputDialog ask(parent);
    ask.setObjectName(name);
    ask.setWindowTitle(title);
    ask.setLabelText(label);
    if (ask.exec() != QDialog::Accepted || ask.textValue().trimmed().isEmpty()) return {};
    return ask.textValue().trimmed();
}

namespace {

// The files this dialog offers are record files: 申告.dat and the card registry end in .dat too
// but are not shown. A proxy of its list needs Qt's own dialog, not the system's.
class RecordFilesOnly final : public QSortFilterProxyModel {
protected:
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
        return !files || isRecordFile(files->fileName(files->index(row, 0, parent)));
    }
};

} // namespace

QStringList QtDialogs::openFiles(QWidget* parent, const QString& title, const QString& filter) {
    QFileDialog dialog(parent, title, {}, filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    dialog.setProxyModel(new RecordFilesOnly);
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

QString QtDialogs::openFile(QWidget* parent, const QString& title, const QString& start,
                            const QString& filter) {
    return QFileDialog::getOpenFileName(parent, title, start, filter);
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

int QtDialogs::run(QDialog& dialog) { return dialog.exec(); }

} // namespace velmora
