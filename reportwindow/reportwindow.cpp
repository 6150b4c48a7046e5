#include "reportwindow/reportwindow.h"

#include "common/datafiles.h"
#include "report/output.h"

#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPageLayout>
#include <QPageSize>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QVBoxLayout>

namespace velmora {

ReportWindow::ReportWindow(QWidget* parent)
    : QMainWindow(parent), fileList_(new QListWidget), month_(new QDateEdit),
      teacher_(new QComboBox), table_(new QTableView), message_(new QLabel) {
    setWindowTitle(QStringLiteral("Velmora 在校等時間集計"));
    auto* addFilesButton = new QPushButton(QStringLiteral("記録ファイルを追加…"));
    auto* addFolderButton = new QPushButton(QStringLiteral("フォルダを追加…"));
    auto* clearButton = new QPushButton(QStringLiteral("クリア"));
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

    month_->setDisplayFormat(QStringLiteral("yyyy年MM月"));
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

    auto* previewButton = new QPushButton(QStringLiteral("印刷プレビュー…"));
    auto* csvButton = new QPushButton(QStringLiteral("CSVを保存…"));
    auto* xlsxButton = new QPushButton(QStringLiteral("XLSXを保存…"));
    auto* pdfButton = new QPushButton(QStringLiteral("PDFを保存…"));
    connect(previewButton, &QPushButton::clicked, this, &ReportWindow::preview);
    connect(csvButton, &QPushButton::clicked, this, [this] { askSave({.csv = true}); });
    connect(xlsxButton, &QPushButton::clicked, this, [this] { askSave({.xlsx = true}); });
    connect(pdfButton, &QPushButton::clicked, this, [this] { askSave({.pdf = true}); });

    auto* files = new QHBoxLayout;
    files->addWidget(fileList_, 1);
    auto* fileButtons = new QVBoxLayout;
    fileButtons->addWidget(addFilesButton);
    fileButtons->addWidget(addFolderButton);
    fileButtons->addWidget(clearButton);
    fileButtons->addStretch();
    files->addLayout(fileButtons);
    auto* choice = new QHBoxLayout;
    choice->addWidget(new QLabel(QStringLiteral("月:")));
    choice->addWidget(month_);
    choice->addSpacing(20);
    choice->addWidget(new QLabel(QStringLiteral("表示:")));
    choice->addWidget(teacher_, 1);
    auto* actions = new QHBoxLayout;
    actions->addWidget(message_, 1);
    for (QPushButton* b : {previewButton, csvButton, xlsxButton, pdfButton}) actions->addWidget(b);
    auto* layout = new QVBoxLayout;
    layout->addLayout(files);
    layout->addLayout(choice);
    layout->addWidget(table_, 1);
    layout->addLayout(actions);
    auto* central = new QWidget;
    central->setLayout(layout);
    setCentralWidget(central);
    resize(900, 640);
    rebuild();
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

void ReportWindow::setMonth(QDate month) { month_->setDate(month); }

void ReportWindow::showTeacher(int teacher) { teacher_->setCurrentIndex(teacher + 1); }

void ReportWindow::choose(int teacher) {
    model_.showTeacher(teacher);
    table_->resizeColumnsToContents();
    const MonthReport& report = model_.report();
    if (teacher < 0 || teacher >= report.teachers.size()) {
        message_->setText(QStringLiteral("教職員 %1名").arg(report.teachers.size()));
        return;
    }
    const TeacherMonth& t = report.teachers[teacher];
    message_->setText(QStringLiteral("出勤日数 %1日　在校等時間 %2　時間外 %3　年度累計 %4　%5")
                          .arg(t.workedDays)
                          .arg(hoursText(t.inSchool), hoursText(t.beyond), hoursText(t.yearBeyond),
                               t.flags.join(u'・')));
}

QString ReportWindow::message() const { return message_->text(); }

void ReportWindow::rebuild() {
    MonthReport report;
    QString text;
    if (files_.isEmpty()) {
        text = QStringLiteral("記録ファイル（Velmora.dat）を追加してください。");
    } else {
        try {
            ReportRequest request;
            request.files = files_;
            if (monthChosen_) request.month = month_->date().addDays(1 - month_->date().day());
            report = buildReport(request);
            const QSignalBlocker quiet(month_);
            month_->setDate(report.month);
            text = QStringLiteral("教職員 %1名").arg(report.teachers.size());
            if (report.skipped > 0)
                text += QStringLiteral("（読めない行 %1 を除外）").arg(report.skipped);
        } catch (const Failure& failure) {
            text = failure.message();
        }
    }
    message_->setText(text);
    model_.setReport(report);
    const QSignalBlocker block(teacher_);
    teacher_->clear();
    teacher_->addItem(QStringLiteral("集計（全員）"));
    for (const TeacherMonth& t : report.teachers) teacher_->addItem(t.name);
    table_->resizeColumnsToContents();
}

bool ReportWindow::saveTo(const QString& folder, Formats formats) {
    if (model_.report().teachers.isEmpty()) return false;
    try {
        const QStringList written = saveReport(model_.report(), QDir(folder), formats);
        QStringList names;
        for (const QString& w : written) names << QFileInfo(w).fileName();
        message_->setText(QStringLiteral("保存しました: %1").arg(names.join(QStringLiteral("、"))));
        return true;
    } catch (const Failure& failure) {
        message_->setText(failure.message());
        return false;
    }
}

void ReportWindow::askFiles() {
    addFiles(QFileDialog::getOpenFileNames(this, QStringLiteral("記録ファイルを追加"), {},
                                           QStringLiteral("記録ファイル (*.dat);;すべて (*)")));
}

void ReportWindow::askFolder() {
    const QString folder =
        QFileDialog::getExistingDirectory(this, QStringLiteral("フォルダを追加"));
    if (folder.isEmpty()) return;
    QStringList files;
    for (const QFileInfo& f : QDir(folder).entryInfoList({QStringLiteral("*.dat")}, QDir::Files))
        files << f.absoluteFilePath();
    addFiles(files);
}

void ReportWindow::askSave(Formats formats) {
    if (model_.report().teachers.isEmpty()) return;
    const QString folder = QFileDialog::getExistingDirectory(
        this, QStringLiteral("保存先のフォルダ"),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    if (!folder.isEmpty()) saveTo(folder, formats);
}

void ReportWindow::preview() {
    if (model_.report().teachers.isEmpty()) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(12, 12, 12, 12), QPageLayout::Millimeter));
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("印刷プレビュー"));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* p) { paintSheets(model_.report(), *p); });
    dialog.resize(800, 900);
    dialog.exec();
}

} // namespace velmora
