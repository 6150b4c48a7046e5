#include "reportwindow/listtab.h"

#include "report/nearestname.h"

#include "storage/datafiles.h"
#include "storage/osfile.h"
#include "texts/texts.h"

#include <QCompleter>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QProgressDialog>
#include <QPromise>
#include <QPushButton>
#include <QStringListModel>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace velmora {

namespace {

// A list is a few hundred lines; the ledger reads none larger either.
constexpr qint64 kLargestImport = 16 * 1024 * 1024;
constexpr qint64 kImportBlock = 256 * 1024;

// A name cell's editor completes from the record names.
class NameDelegate : public QStyledItemDelegate {
public:
    NameDelegate(QStringListModel* names, QObject* parent)
        : QStyledItemDelegate(parent), names_(names) {}
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&,
                          const QModelIndex&) const override {
        auto* editor = new QLineEdit(parent);
        auto* completer = new QCompleter(names_, editor);
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        completer->setFilterMode(Qt::MatchContains);
        editor->setCompleter(completer);
        return editor;
    }

private:
    QStringListModel* names_;
};

} // namespace

ListTab::ListTab(Dialogs& dialogs, LedgerSheet::Kind kind, const QString& prefix, QWidget* parent)
    : QWidget(parent), dialogs_(dialogs), sheet_(kind), table_(new QTableView),
      message_(new QLabel), reload_(new QPushButton(texts::kReloadButton)),
      recordedModel_(new QStringListModel(this)) {
    if (kind == LedgerSheet::Kind::Staff)
        table_->setItemDelegateForColumn(0, new NameDelegate(recordedModel_, this));
    table_->setObjectName(prefix + QStringLiteral("Table"));
    table_->setModel(&sheet_);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->horizontalHeader()->setMinimumSectionSize(fontMetrics().horizontalAdvance(u'0') * 11);
    // A list of thousands is measured on a sample of its rows, not all of them.
    table_->horizontalHeader()->setResizeContentsPrecision(200);
    table_->setEditTriggers(QAbstractItemView::AllEditTriggers);
    message_->setObjectName(prefix + QStringLiteral("Message"));
    message_->setWordWrap(true);
    message_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    reload_->setObjectName(prefix + QStringLiteral("Reload"));
    reload_->hide();
    connect(reload_, &QPushButton::clicked, this, [this] {
        const int before = sheet_.rowCount();
        sheet_.reloadKeepingEdits(QDir(folder_));
        reload_->hide();
        enable();
        if (!sheet_.unreadable().isEmpty()) return say(sheet_.unreadable(), true);
        say(texts::kReloadedWithEdits.arg(sheet_.modified() ? before : 0));
    });
    connect(&sheet_, &LedgerSheet::modifiedChanged, this, &ListTab::modifiedChanged);
    connect(&importing_, &QFutureWatcher<Imported>::finished, this, &ListTab::imported);

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
    row->addWidget(reload_);
    saveButton_ = button(texts::kSaveListButton, "Save", &ListTab::save);
    row->addWidget(saveButton_);
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

ListTab::~ListTab() {
    importing_.cancel();
    importing_.waitForFinished();
}

QString ListTab::title() const {
    return sheet_.title() + (sheet_.modified() ? texts::kUnsavedMark : QString());
}

void ListTab::enable() {
    const bool usable = !folder_.isEmpty() && sheet_.unreadable().isEmpty();
    for (QPushButton* b : buttons_) b->setEnabled(usable && !importing_.isRunning());
    table_->setEnabled(usable);
}

// Rows edited for one folder are never saved into another.
void ListTab::setFolder(const QString& folder) {
    if (folder == folder_ && !folder.isEmpty()) return;
    folder_ = folder;
    reload_->hide();
    if (folder.isEmpty())
        sheet_.clear();
    else
        sheet_.load(QDir(folder));
    table_->resizeColumnsToContents();
    enable();
    if (!sheet_.unreadable().isEmpty())
        say(texts::kListUnreadable.arg(sheet_.unreadable()), true);
    else
        say(folder.isEmpty() ? texts::kNoLedgerFolder
                             : QDir::toNativeSeparators(QDir(folder).filePath(sheet_.fileName())));
}

void ListTab::showLines(const Ledger&) {
    if (folder_.isEmpty() || sheet_.modified() || !sheet_.changedSince(QDir(folder_))) return;
    const QString folder = folder_;
    folder_.clear();
    setFolder(folder);
}

void ListTab::discard() {
    const QString folder = folder_;
    folder_.clear();
    setFolder(folder);
}

void ListTab::say(const QString& text, bool fault) {
    message_->setStyleSheet(fault ? QStringLiteral("color: red") : QString());
    message_->setText(text);
}

void ListTab::importFile() {
    const QString path = dialogs_.openFile(this, texts::kImportTitle, folder_, texts::kCsvFilter);
    if (!path.isEmpty()) importPath(path);
}

// Excel's CSV in either encoding; what the reader cannot use is listed and kept as rows.
void ListTab::importPath(const QString& path) {
    if (importing_.isRunning() || folder_.isEmpty()) return;
    const QString name = QFileInfo(path).fileName();
    std::shared_ptr<const OsFile> file;
    try {
        // Opened without waiting and refused unless a regular file: a FIFO, a device or a
        // link is named at once.
        auto opened = OsFile::open(path, QDir::toNativeSeparators(path), OsFile::Access::Read);
        if (!opened) {
            say(texts::kUnreadableFile.arg(QDir::toNativeSeparators(path), texts::kNoSuchFile),
                true);
            emit importDone();
            return;
        }
        file = std::make_shared<const OsFile>(std::move(*opened));
    } catch (const Failure& failure) {
        say(failure.message(), true);
        emit importDone();
        return;
    }
    if (file->size() > kLargestImport) {
        say(texts::kImportTooLarge.arg(QDir::toNativeSeparators(path), texts::kLedgerTooLarge),
            true);
        emit importDone();
        return;
    }
    importName_ = name;
    const QString format = sheet_.fileName();
    importing_.setFuture(QtConcurrent::run([file, format](QPromise<Imported>& promise) {
        const qint64 size = file->size();
        promise.setProgressRange(0, 100);
        QByteArray bytes(qsizetype(size), Qt::Uninitialized);
        Imported result;
        try {
            for (qint64 done = 0; done < size; done += kImportBlock) {
                if (promise.isCanceled()) return;
                file->readAt(done, std::min(kImportBlock, size - done), bytes.data() + done);
                promise.setProgressValue(int(done * 90 / size));
            }
            result.lines = listLines(bytes, format);
        } catch (const Failure& failure) {
            result.fault = failure.message();
        }
        promise.addResult(std::move(result));
    }));
    enable();
    progress_ = new QProgressDialog(texts::kImportReading, texts::kStopButton, 0, 100, this);
    progress_->setObjectName(QStringLiteral("importProgress"));
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(500);
    connect(&importing_, &QFutureWatcher<Imported>::progressValueChanged, progress_,
            &QProgressDialog::setValue);
    connect(progress_, &QProgressDialog::canceled, &importing_, &QFutureWatcher<Imported>::cancel);
}

void ListTab::imported() {
    if (progress_) progress_->deleteLater();
    enable();
    if (importing_.isCanceled() || importing_.future().resultCount() == 0) {
        say(texts::kImportStopped);
    } else if (const Imported result = importing_.result(); !result.fault.isEmpty()) {
        say(result.fault, true);
    } else {
        sheet_.setImported(result.lines);
        table_->resizeColumnsToContents();
        say(texts::kImported.arg(sheet_.rowCount()));
        listProblems(importName_, result.lines);
    }
    emit importDone();
}

// However many, in a list that scrolls: file, line and reason, to be copied.
void ListTab::listProblems(const QString& file, const QList<ListLine>& lines) {
    QStringList texts;
    for (const ListLine& line : lines)
        if (!line.problem.isEmpty()) texts << LedgerProblem{file, line.number, line.problem}.text();
    if (texts.isEmpty()) return;
    auto* dialog = new QDialog(this);
    dialog->setObjectName(QStringLiteral("importProblems"));
    dialog->setWindowTitle(texts::kImportProblemsTitle);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    auto* list = new QListView;
    list->setUniformItemSizes(true);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setModel(new QStringListModel(texts, list));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog->resize(640, 320);
    dialog->open();
}

void ListTab::setRecordedNames(const QStringList& names) {
    recorded_ = names;
    QStringList sorted = names;
    sorted.sort();
    recordedModel_->setStringList(sorted);
}

bool ListTab::save() {
    if (folder_.isEmpty()) return false;
    table_->setFocus(); // a cell being edited is committed as its editor loses the focus
    const LedgerSheet::Saving saving = sheet_.save(QDir(folder_));
    if (saving.status != LedgerSheet::Saving::Saved) {
        reload_->setVisible(saving.status == LedgerSheet::Saving::Changed);
        say(saving.message, true);
        return false;
    }
    reload_->hide();
    table_->resizeColumnsToContents();
    QString said =
        texts::kSaved.arg(QDir::toNativeSeparators(QDir(folder_).filePath(sheet_.fileName())));
    if (!recorded_.isEmpty() && sheet_.kind() == LedgerSheet::Kind::Staff) {
        const QSet<QString> known(recorded_.begin(), recorded_.end());
        QStringList unknown;
        for (int row = 0; row < sheet_.rowCount(); ++row) {
            const QString name = sheet_.index(row, 0).data().toString();
            if (!sheet_.problemAt(row).isEmpty() || name.isEmpty() || known.contains(name) ||
                unknown.contains(u'「' + name + u'」', Qt::CaseSensitive))
                continue;
            const std::optional<QString> near = nearestName(name, recorded_);
            unknown << (near ? texts::kStaffNameNear.arg(name, *near) : u'「' + name + u'」');
        }
        if (!unknown.isEmpty())
            said += u'\n' + texts::kStaffNamesUnrecorded.arg(unknown.join(u'、'));
    }
    say(said);
    emit saved();
    return true;
}

} // namespace velmora
