#include "reportwindow/reportwindow.h"

#include "report/output.h"
#include "storage/datafiles.h"
#include "texts/texts.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPageLayout>
#include <QPageSize>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QStandardPaths>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>
#include <QtConcurrent>

namespace velmora {

ReportWindow::ReportWindow(QWidget* parent)
    : QMainWindow(parent), fileList_(new QListWidget), month_(new QDateEdit),
      teacher_(new QComboBox), table_(new QTableView), message_(new QLabel), notices_(new QWidget),
      noticeText_(new QLabel), warningsButton_(new QPushButton(texts::kNoticesButton)) {
    setWindowTitle(texts::kReportWindowTitle);
    auto* addFilesButton = new QPushButton(texts::kAddFilesButton);
    auto* addFolderButton = new QPushButton(texts::kAddFolderButton);
    auto* clearButton = new QPushButton(texts::kClearButton);
    connect(addFilesButton, &QPushButton::clicked, this, &ReportWindow::askFiles);
    connect(addFolderButton, &QPushButton::clicked, this, &ReportWindow::askFolder);
    connect(clearButton, &QPushButton::clicked, this, [this] {
        files_.clear();
        fileList_->clear();
        rebuild();
    });
    fileList_->setMaximumHeight(90);
    // A long line of flags wraps rather than widening the window.
    message_->setWordWrap(true);
    message_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    month_->setDisplayFormat(texts::kMonthFormat);
    // A typed month is read once it is complete (Enter, or the focus leaving), not at each digit.
    month_->setKeyboardTracking(false);
    month_->setDate(QDate::currentDate().addDays(1 - QDate::currentDate().day()));
    connect(month_, &QDateEdit::dateChanged, this, [this] {
        monthChosen_ = true;
        rebuild();
    });
    connect(teacher_, &QComboBox::currentIndexChanged, this,
            [this](int index) { choose(index - 1); });

    table_->setModel(&model_);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->setAlternatingRowColors(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* previewButton = new QPushButton(texts::kPreviewButton);
    auto* csvButton = new QPushButton(texts::kSaveCsvButton);
    auto* xlsxButton = new QPushButton(texts::kSaveXlsxButton);
    auto* pdfButton = new QPushButton(texts::kSavePdfButton);
    connect(previewButton, &QPushButton::clicked, this, &ReportWindow::preview);
    connect(csvButton, &QPushButton::clicked, this, [this] { askSave({.csv = true}); });
    connect(xlsxButton, &QPushButton::clicked, this, [this] { askSave({.xlsx = true}); });
    connect(pdfButton, &QPushButton::clicked, this, [this] { askSave({.pdf = true}); });

    // Shown with the table whatever is chosen, and never in the way: the list only on request.
    auto* noticeIcon = new QLabel;
    const int iconSize = fontMetrics().height();
    noticeIcon->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxWarning).pixmap(iconSize, iconSize));
    noticeText_->setWordWrap(true);
    noticeText_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    connect(warningsButton_, &QPushButton::clicked, this, &ReportWindow::listWarnings);
    auto* noticeRow = new QHBoxLayout(notices_);
    noticeRow->setContentsMargins(0, 0, 0, 0);
    noticeRow->addWidget(noticeIcon);
    noticeRow->addWidget(noticeText_, 1);
    noticeRow->addWidget(warningsButton_);
    notices_->hide();

    auto* files = new QHBoxLayout;
    files->addWidget(fileList_, 1);
    auto* fileButtons = new QVBoxLayout;
    fileButtons->addWidget(addFilesButton);
    fileButtons->addWidget(addFolderButton);
    fileButtons->addWidget(clearButton);
    fileButtons->addStretch();
    files->addLayout(fileButtons);
    auto* choice = new QHBoxLayout;
    auto* monthLabel = new QLabel(texts::kMonthLabel);
    monthLabel->setBuddy(month_);
    auto* teacherLabel = new QLabel(texts::kShowLabel);
    teacherLabel->setBuddy(teacher_);
    choice->addWidget(monthLabel);
    choice->addWidget(month_);
    choice->addSpacing(20);
    choice->addWidget(teacherLabel);
    choice->addWidget(teacher_, 1);
    auto* actions = new QHBoxLayout;
    actions->addWidget(message_, 1);
    for (QPushButton* b : {previewButton, csvButton, xlsxButton, pdfButton}) actions->addWidget(b);
    auto* layout = new QVBoxLayout;
    layout->addLayout(files);
    layout->addLayout(choice);
    layout->addWidget(table_, 1);
    layout->addWidget(notices_);
    layout->addLayout(actions);
    auto* central = new QWidget;
    central->setLayout(layout);
    setCentralWidget(central);
    resize(900, 640);
    connect(&building_, &QFutureWatcher<Built>::finished, this, &ReportWindow::built);
    rebuild();
}

ReportWindow::~ReportWindow() {
    if (stop_) *stop_ = true;
    building_.waitForFinished();
}

void ReportWindow::addFiles(const QStringList& files) {
    for (const QString& f : files) {
        const QString path = QFileInfo(f).absoluteFilePath();
        if (files_.contains(path)) continue;
        files_ << path;
        fileList_->addItem(QDir::toNativeSeparators(path));
    }
    rebuild();
}

void ReportWindow::choose(int teacher) {
    model_.showTeacher(teacher);
    table_->resizeColumnsToContents();
    const MonthReport& report = model_.report();
    if (teacher < 0 || teacher >= report.teachers.size()) {
        message_->setText(texts::kTeachers.arg(report.teachers.size()));
        return;
    }
    const TeacherMonth& t = report.teachers[teacher];
    message_->setText(texts::kTeacherTotals.arg(t.workedDays)
                          .arg(hoursText(t.inSchool), hoursText(t.beyond), hoursText(t.yearBeyond),
                               flagsText(t.flags)));
}

// The report of the files and month chosen, read in the background. A new choice while one
// is read stops it and reads again.
void ReportWindow::rebuild() {
    if (reading_) {
        *stop_ = true;
        rebuildAgain_ = true;
        return;
    }
    ReportRequest request;
    request.files = files_;
    if (monthChosen_) request.month = month_->date().addDays(1 - month_->date().day());
    stop_ = std::make_shared<std::atomic_bool>(false);
    reading_ = true;
    if (!files_.isEmpty()) message_->setText(texts::kReadingFiles);
    building_.setFuture(QtConcurrent::run([this, request, stop = stop_]() mutable -> Built {
        if (request.files.isEmpty()) return {{}, texts::kAddRecordFiles};
        ProgressMeter meter([this, stop](int percent) {
            QMetaObject::invokeMethod(this, [this, percent] { showProgress(percent); });
            return !*stop;
        });
        request.progress = &meter;
        try {
            return {buildReport(request), {}};
        } catch (const Failure& failure) {
            return {{}, failure.message()};
        }
    }));
}

void ReportWindow::showProgress(int percent) {
    if (*stop_) return; // stopped: the last words of its reading are not shown
    if (!progress_) {
        progress_ = new QProgressDialog(texts::kReadingFiles, texts::kStopButton, 0, 100, this);
        progress_->setWindowTitle(windowTitle());
        progress_->setWindowModality(Qt::WindowModal);
        progress_->setMinimumDuration(0); // the library tells only work that takes long
        progress_->setMinimumWidth(360);
        connect(progress_, &QProgressDialog::canceled, this, [this] { *stop_ = true; });
    }
    progress_->setValue(percent);
    progress_->show();
}

void ReportWindow::built() {
    reading_ = false;
    if (progress_) progress_->reset();
    if (rebuildAgain_) {
        rebuildAgain_ = false;
        rebuild();
        return;
    }
    const Built result = building_.result();
    QString text = result.failure;
    if (text.isEmpty()) {
        const QSignalBlocker quiet(month_);
        month_->setDate(result.report.month);
        text = texts::kTeachers.arg(result.report.teachers.size());
    }
    message_->setText(text);
    showNotices(result.report);
    model_.setReport(result.report);
    const QSignalBlocker block(teacher_);
    teacher_->clear();
    teacher_->addItem(texts::kEveryone);
    for (const TeacherMonth& t : result.report.teachers) teacher_->addItem(t.name);
    table_->resizeColumnsToContents();
}

void ReportWindow::showNotices(const MonthReport& report) {
    QStringList lines;
    if (report.skipped > 0) lines << texts::kLinesSkipped.arg(report.skipped);
    if (!report.warnings.isEmpty()) lines << texts::kDatesAssumed.arg(report.warnings.size());
    noticeText_->setText(lines.join(QStringLiteral("。")) + QStringLiteral("。"));
    noticeText_->setToolTip(report.warnings.join(u'\n'));
    warningsButton_->setVisible(!report.warnings.isEmpty());
    notices_->setVisible(!lines.isEmpty());
}

// Each warning names its file and line, so that the line can be found and checked; the list
// can be copied.
void ReportWindow::listWarnings() {
    QDialog dialog(this);
    dialog.setWindowTitle(texts::kNoticesTitle);
    auto* list = new QPlainTextEdit(model_.report().warnings.join(QStringLiteral("\n\n")));
    list->setReadOnly(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog.resize(640, 280);
    dialog.exec();
}

void ReportWindow::askFiles() {
    addFiles(
        QFileDialog::getOpenFileNames(this, texts::kAddFilesTitle, {}, texts::kRecordFilesFilter));
}

void ReportWindow::askFolder() {
    const QString folder = QFileDialog::getExistingDirectory(this, texts::kAddFolderTitle);
    if (folder.isEmpty()) return;
    QStringList files;
    for (const QFileInfo& f : QDir(folder).entryInfoList({QStringLiteral("*.dat")}, QDir::Files))
        files << f.absoluteFilePath();
    addFiles(files);
}

// The report shown is saved; while another is read, nothing is (it would be the old one).
void ReportWindow::askSave(Formats formats) {
    if (model_.report().teachers.isEmpty() || reading_) return;
    const QString folder = QFileDialog::getExistingDirectory(
        this, texts::kSaveFolderTitle,
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    if (folder.isEmpty()) return;
    try {
        QStringList names;
        for (const QString& w : saveReport(model_.report(), QDir(folder), formats))
            names << QFileInfo(w).fileName();
        message_->setText(texts::kSaved.arg(names.join(QStringLiteral("、"))));
    } catch (const Failure& failure) {
        message_->setText(failure.message());
    }
}

void ReportWindow::preview() {
    if (model_.report().teachers.isEmpty() || reading_) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setWindowTitle(texts::kPreviewTitle);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* p) { paintSheets(model_.report(), *p); });
    dialog.resize(800, 900);
    dialog.exec();
}

} // namespace velmora
