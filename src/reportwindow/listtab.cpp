#include "reportwindow/listtab.h"

#include "storage/datafiles.h"
#include "texts/texts.h"

#include <QFile>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace velmora {

ListTab::ListTab(LedgerSheet::Kind kind, const QString& prefix, QWidget* parent)
    : QWidget(parent), sheet_(kind), table_(new QTableView), message_(new QLabel) {
    table_->setObjectName(prefix + QStringLiteral("Table"));
    table_->setModel(&sheet_);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setMinimumSectionSize(fontMetrics().horizontalAdvance(u'0') * 11);
    table_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    message_->setObjectName(prefix + QStringLiteral("Message"));
    message_->setWordWrap(true);
    message_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    const auto button = [&](const QString& text, const char* name, auto slot) {
        auto* b = new QPushButton(text);
        b->setObjectName(prefix + QLatin1String(name));
        connect(b, &QPushButton::clicked, this, slot);
        buttons_ << b;
        return b;
    };
    auto* row = new QHBoxLayout;
    row->addWidget(button(texts::kAddRowButton, "Add", [this] {
        sheet_.appendRow();
        table_->setCurrentIndex(sheet_.index(sheet_.rowCount() - 1, 0));
        table_->setFocus();
    }));
    row->addWidget(button(texts::kRemoveRowButton, "Remove",
                          [this] { sheet_.removeRowAt(table_->currentIndex().row()); }));
    row->addWidget(button(texts::kImportButton, "Import", &ListTab::importFile));
    row->addStretch();
    row->addWidget(button(texts::kSaveListButton, "Save", &ListTab::save));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(table_, 1);
    layout->addWidget(message_);
    layout->addLayout(row);
    setFolder({});
    // 保存しました no longer holds once a cell is edited again.
    const auto edited = [this] {
        if (sheet_.modified()) say(texts::kUnsavedEdits);
    };
    connect(&sheet_, &LedgerSheet::dataChanged, this, edited);
    connect(&sheet_, &LedgerSheet::rowsInserted, this, edited);
    connect(&sheet_, &LedgerSheet::rowsRemoved, this, edited);
}

// Rows edited for one folder are never saved into another.
void ListTab::setFolder(const QString& folder) {
    if (folder == folder_ && !folder.isEmpty()) return;
    sheet_.setLines({});
    folder_ = folder;
    for (QPushButton* b : buttons_) b->setEnabled(!folder.isEmpty());
    table_->setEnabled(!folder.isEmpty());
    say(folder.isEmpty() ? texts::kNoLedgerFolder
                         : QDir::toNativeSeparators(QDir(folder).filePath(sheet_.fileName())));
}

void ListTab::showLines(const Ledger& ledger) {
    if (sheet_.modified()) return;
    sheet_.setLines(ledger);
    table_->resizeColumnsToContents();
}

void ListTab::say(const QString& text, bool fault) {
    message_->setStyleSheet(fault ? QStringLiteral("color: red") : QString());
    message_->setText(text);
}

// Excel's CSV in either encoding; what it cannot read is listed, the rest waits to be saved.
void ListTab::importFile() {
    const QString path =
        QFileDialog::getOpenFileName(this, texts::kImportTitle, folder_, texts::kCsvFilter);
    if (path.isEmpty()) return;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        say(texts::kUnreadableFile.arg(QDir::toNativeSeparators(path), file.errorString()), true);
        return;
    }
    const QList<LedgerProblem> problems = sheet_.import(file.readAll(), QFileInfo(path).fileName());
    table_->resizeColumnsToContents();
    say(texts::kImported.arg(sheet_.rowCount()));
    if (problems.isEmpty()) return;
    QStringList lines;
    for (const LedgerProblem& p : problems) lines << p.text();
    QMessageBox box(QMessageBox::Warning, texts::kImportProblemsTitle, lines.join(u'\n'),
                    QMessageBox::Ok, this);
    box.setObjectName(QStringLiteral("importProblems"));
    box.exec();
}

bool ListTab::save() {
    if (folder_.isEmpty()) return false;
    table_->setFocus(); // a cell being edited is committed as its editor loses the focus
    try {
        if (const std::optional<QString> fault = sheet_.save(QDir(folder_))) {
            say(*fault, true);
            return false;
        }
    } catch (const Failure& failure) {
        say(failure.message(), true);
        return false;
    }
    say(texts::kSaved.arg(QDir::toNativeSeparators(QDir(folder_).filePath(sheet_.fileName()))));
    emit saved();
    return true;
}

} // namespace velmora
