#include "reportwindow/reportwindow.h"

#include "assets/assets.h"
#include "printing/sheets.h"
#include "reportwindow/boardview.h"
#include "reportwindow/closingdialog.h"
#include "reportwindow/entrydialog.h"
#include "reportwindow/listtab.h"
#include "reportwindow/startfolders.h"
#include "saving/output.h"
#include "storage/datafiles.h"
#include "texts/texts.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>
#include <QtConcurrent>
#include <algorithm>

namespace velmora {

namespace {

const QString kSaveFolderKey = QStringLiteral("saveFolder");
// 表示: 集計, 年度, then each teacher's days.
constexpr int kYearItem = 1, kFirstTeacherItem = 2;

// How many teachers, and how many of them have days to correct, seen without opening each.
QString teachersLine(const MonthReport& report) {
    const auto toCorrect = std::count_if(report.teachers.cbegin(), report.teachers.cend(),
                                         [](const TeacherMonth& t) { return t.toCorrect > 0; });
    QString line = texts::kTeachers.arg(report.teachers.size());
    if (toCorrect > 0) line += QStringLiteral("　") + texts::kTeachersToCorrect.arg(toCorrect);
    if (const QString closing = monthClosingNotice(report); !closing.isEmpty())
        line += QStringLiteral("　") + closing;
    return line;
}

QSettings settings() {
    return QSettings(QStringLiteral("Velmora"), QStringLiteral("velmora-report"));
}

// The folder the last files were saved in, while it is there; else the documents.
QString saveFolder() {
    const QString last = settings().value(kSaveFolderKey).toString();
    return !last.isEmpty() && QFileInfo(last).isDir()
               ? last
               : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

// The school's files' lines skipped, each naming its file and line.
QStringList problemTexts(const MonthReport& report) {
    QStringList lines;
    for (const LedgerProblem& problem : report.ledger.problems) lines << problem.text();
    return lines;
}

} // namespace

ReportWindow::ReportWindow(Dialogs& dialogs, QWidget* parent)
    : QMainWindow(parent), dialogs_(dialogs), tabs_(new QTabWidget), fileList_(new QListWidget),
      month_(new MonthEdit), teacher_(new QComboBox),
      entryButton_(new QPushButton(texts::kEntryButton)), table_(new QTableView),
      message_(new QLabel), notices_(new QWidget), noticeText_(new QLabel),
      warningsButton_(new QPushButton(texts::kNoticesButton)),
      staffTab_(new ListTab(dialogs, LedgerSheet::Kind::Staff, QStringLiteral("staff"))),
      calendarTab_(new ListTab(dialogs, LedgerSheet::Kind::Calendar, QStringLiteral("calendar"))),
      board_(new BoardView(this)) {
    setWindowTitle(texts::kReportWindowTitle);
    setWindowIcon(QIcon(assets::iconPath()));
    setUpTable();
    setUpNotices();
    auto* layout = new QVBoxLayout;
    layout->addLayout(choiceRow());
    layout->addWidget(table_, 1);
    layout->addWidget(notices_);
    layout->addWidget(message_);
    layout->addLayout(actionRow());
    auto* report = new QWidget;
    report->setLayout(layout);
    setUpTabs(report);
    // The files serve every tab: above them.
    auto* outer = new QVBoxLayout;
    outer->addLayout(fileRow());
    outer->addWidget(tabs_, 1);
    auto* central = new QWidget;
    central->setLayout(outer);
    setCentralWidget(central);
    resize(900, 640);
    connect(&building_, &QFutureWatcher<Built>::finished, this, &ReportWindow::built);
    connect(&year_, &YearView::changed, this, [this] {
        if (year_.shown()) showYear();
    });
    connect(board_, &BoardView::shown, this, [this] {
        if (table_->model() == board_) showBoard();
        emit reportShown();
    });
    rebuild();
}

QLayout* ReportWindow::fileRow() {
    auto* addFilesButton = new QPushButton(texts::kAddFilesButton);
    auto* addFolderButton = new QPushButton(texts::kAddFolderButton);
    auto* clearButton = new QPushButton(texts::kClearButton);
    addFolderButton->setObjectName(QStringLiteral("addFolder"));
    clearButton->setObjectName(QStringLiteral("clear"));
    connect(addFilesButton, &QPushButton::clicked, this, &ReportWindow::askFiles);
    connect(addFolderButton, &QPushButton::clicked, this, &ReportWindow::askFolder);
    connect(clearButton, &QPushButton::clicked, this, [this] {
        if (!settleEdits({staffTab_, calendarTab_})) return;
        files_.clear();
        fileList_->clear();
        lastYears_.clear();
        yearAsked_.clear();
        reread();
    });
    fileList_->setObjectName(QStringLiteral("files"));
    fileList_->setMaximumHeight(90);
    auto* files = new QHBoxLayout;
    files->addWidget(fileList_, 1);
    auto* fileButtons = new QVBoxLayout;
    fileButtons->addWidget(addFilesButton);
    fileButtons->addWidget(addFolderButton);
    fileButtons->addWidget(clearButton);
    fileButtons->addStretch();
    files->addLayout(fileButtons);
    return files;
}

QLayout* ReportWindow::choiceRow() {
    month_->setObjectName(QStringLiteral("month"));
    month_->setDisplayFormat(texts::kMonthFormat);
    // A typed month is read once it is complete (Enter, or the focus leaving), not at each digit.
    month_->setKeyboardTracking(false);
    month_->setDate(QDate::currentDate().addDays(1 - QDate::currentDate().day()));
    connect(month_, &QDateEdit::dateChanged, this, [this] {
        monthChosen_ = true;
        reread();
        board_->read(month_->date());
    });
    teacher_->setObjectName(QStringLiteral("teacher"));
    connect(teacher_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (teacher_->itemData(index) == kBoardItem) {
            year_.setShown(false);
            return showBoard();
        }
        choose(index - kFirstTeacherItem);
        year_.setShown(index == kYearItem);
        if (year_.shown()) showYear();
    });
    entryButton_->setObjectName(QStringLiteral("entryButton"));
    connect(entryButton_, &QPushButton::clicked, this,
            [this] { askEntry(model_.teacher() >= 0 ? table_->currentIndex().row() : -1); });
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
    choice->addWidget(entryButton_);
    auto* closeButton = new QPushButton(texts::kCloseMonthButton);
    closeButton->setObjectName(QStringLiteral("closeMonth"));
    connect(closeButton, &QPushButton::clicked, this, &ReportWindow::askClose);
    choice->addWidget(closeButton);
    return choice;
}

void ReportWindow::setUpTable() {
    table_->setObjectName(QStringLiteral("reportTable"));
    table_->setModel(&model_);
    table_->horizontalHeader()->setStretchLastSection(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    table_->setAlternatingRowColors(false);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Double-click or Enter: a summary row opens that teacher's days, a day its entries.
    connect(table_, &QTableView::activated, this, &ReportWindow::activated);
    // A long line of totals or paths wraps on its own row rather than widening the window.
    message_->setObjectName(QStringLiteral("status"));
    message_->setWordWrap(true);
    message_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    message_->setTextInteractionFlags(Qt::TextSelectableByMouse);
}

// Shown with the table whatever is chosen, and never in the way: the list only on request.
void ReportWindow::setUpNotices() {
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
}

QLayout* ReportWindow::actionRow() {
    auto* actions = new QHBoxLayout;
    actions->addStretch();
    const auto button = [&](const QString& text, const char* name, auto clicked) {
        auto* b = new QPushButton(text);
        b->setObjectName(QLatin1String(name));
        connect(b, &QPushButton::clicked, this, clicked);
        actions->addWidget(b);
    };
    button(texts::kPreviewButton, "preview", [this] { preview(); });
    button(texts::kSaveCsvButton, "saveCsv", [this] { askSave({.csv = true}); });
    button(texts::kSaveXlsxButton, "saveXlsx", [this] { askSave({.xlsx = true}); });
    button(texts::kSavePdfButton, "savePdf", [this] { askSave({.pdf = true}); });
    return actions;
}

void ReportWindow::setUpTabs(QWidget* report) {
    tabs_->setObjectName(QStringLiteral("tabs"));
    // Alt+1, 2, 3 reach the tabs from the keyboard.
    tabs_->addTab(report, texts::kReportTab + QStringLiteral("(&1)"));
    tabs_->addTab(staffTab_, texts::kStaffTab + QStringLiteral("(&2)"));
    tabs_->addTab(calendarTab_, texts::kCalendarTab + QStringLiteral("(&3)"));
    for (ListTab* tab : {staffTab_, calendarTab_}) {
        connect(tab, &ListTab::saved, this, &ReportWindow::recompute);
        connect(tab, &ListTab::modifiedChanged, this, &ReportWindow::markUnsaved);
    }
    connect(tabs_, &QTabWidget::currentChanged, this, &ReportWindow::tabChosen);
}

ReportWindow::~ReportWindow() {
    if (stop_) *stop_ = true;
    building_.waitForFinished();
}

void ReportWindow::closeEvent(QCloseEvent* event) {
    if (settleEdits({staffTab_, calendarTab_}))
        event->accept();
    else
        event->ignore();
}

bool ReportWindow::settleEdits(const QList<ListTab*>& tabs) {
    QList<ListTab*> edited;
    QStringList titles;
    for (ListTab* tab : tabs)
        if (tab->hasUnsavedEdits()) {
            edited << tab;
            titles << QStringLiteral("「%1」").arg(tab->sheet().title());
        }
    if (edited.isEmpty()) return true;
    switch (dialogs_.unsaved(this, texts::kUnsaved.arg(titles.join(u'、')))) {
    case Dialogs::Unsaved::Cancel:
        return false;
    case Dialogs::Unsaved::Discard:
        for (ListTab* tab : edited) tab->discard();
        return true;
    case Dialogs::Unsaved::Save:
        break;
    }
    for (ListTab* tab : edited)
        if (!tab->save()) { // its message says why
            const QSignalBlocker quiet(tabs_);
            tabs_->setCurrentWidget(tab);
            shownTab_ = tabs_->currentIndex();
            return false;
        }
    return true;
}

// Leaving a list with edits asks first; kept, it stays shown.
void ReportWindow::tabChosen(int index) {
    auto* left = qobject_cast<ListTab*>(tabs_->widget(shownTab_));
    if (left && !settleEdits({left})) {
        const QSignalBlocker quiet(tabs_);
        tabs_->setCurrentWidget(left);
        shownTab_ = tabs_->currentIndex();
        return;
    }
    shownTab_ = index;
}

void ReportWindow::markUnsaved() {
    for (ListTab* tab : {staffTab_, calendarTab_})
        tabs_->setTabText(tabs_->indexOf(tab),
                          tab->title() + QStringLiteral("(&%1)").arg(tabs_->indexOf(tab) + 1));
}

void ReportWindow::addFiles(const QStringList& files) {
    for (const QString& f : files) {
        const QString path = QFileInfo(f).absoluteFilePath();
        if (files_.contains(path)) continue;
        files_ << path;
        fileList_->addItem(QDir::toNativeSeparators(path));
    }
    rememberFolders();
    reread();
}

QString ReportWindow::ledgerFolder() const { return ledgerFolderOf(files_); }

// The columns to their texts, the wordy one (判定, or a day's 備考) taking the room left.
void ReportWindow::fitColumns() {
    QHeaderView* header = table_->horizontalHeader();
    for (int c = 0; c < table_->model()->columnCount(); ++c)
        header->setSectionResizeMode(c, QHeaderView::Interactive);
    table_->resizeColumnsToContents();
    const int wordy = 6; // 備考, or the summary's 判定
    if (table_->model() == &model_ && wordy < model_.columnCount())
        header->setSectionResizeMode(wordy, QHeaderView::Stretch);
}

// The year's table in place of the month's, as far as it is read.
void ReportWindow::showYear() {
    table_->setModel(&year_.model());
    fitColumns();
    message_->setText(year_.status());
    if (!year_.reading()) emit reportShown();
}

void ReportWindow::choose(int teacher) {
    if (table_->model() != &model_) table_->setModel(&model_);
    model_.showTeacher(teacher);
    fitColumns();
    const MonthReport& report = model_.report();
    if (teacher < 0 || teacher >= report.teachers.size()) {
        message_->setText(teachersLine(report));
        return;
    }
    const TeacherMonth& t = report.teachers[teacher];
    QString totals = texts::kTeacherTotals.arg(t.workedDays)
                         .arg(hoursText(t.inSchool), hoursText(t.beyond), hoursText(t.yearBeyond),
                              flagsText(t.flags));
    if (const QString closing = teacherClosingText(report, t); !closing.isEmpty())
        totals += QStringLiteral("　") + closing;
    message_->setText(totals);
}

void ReportWindow::activated(const QModelIndex& index) {
    if (!index.isValid()) return;
    if (table_->model() == board_) return openSchool(board_->folderAt(index.row()));
    if (model_.teacher() >= 0) return askEntry(index.row());
    // A row of the year opens the teacher's days of the month, when the month has them.
    const int item = year_.shown()
                         ? teacher_->findText(year_.model().year().teachers[index.row()].name)
                         : index.row() + kFirstTeacherItem;
    if (item < kFirstTeacherItem) return;
    teacher_->setCurrentIndex(item);
    table_->setCurrentIndex(model_.index(0, 0)); // the keys go on from the first day
}

void ReportWindow::reread() {
    newest_.reset();
    probing_ = {};
    const QString folder = ledgerFolder();
    staffTab_->setFolder(folder);
    calendarTab_->setFolder(folder);
    rebuild();
}

void ReportWindow::recompute() {
    monthChosen_ = true;
    reread();
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
    request.lastYears = lastYears_;
    if (monthChosen_) request.month = month_->date().addDays(1 - month_->date().day());
    if (probing_.isValid()) request.month = probing_;
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
        QList<FileFault> faults;
        request.fileFaults = &faults;
        try {
            MonthReport report = buildReport(request);
            return {std::move(report), {}, faults};
        } catch (const Failure& failure) {
            return {{}, failure.message(), faults};
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

// Unless a month was chosen, the newest month is read first, then the one before it: the
// newest is most often still running, and the office reports the month that is complete.
void ReportWindow::built() {
    reading_ = false;
    if (progress_) progress_->reset();
    if (rebuildAgain_) {
        rebuildAgain_ = false;
        rebuild();
        return;
    }
    Built result = building_.result();
    if (askYears(result.faults)) {
        newest_.reset();
        probing_ = {};
        rebuild();
        return;
    }
    if (!monthChosen_ && !probing_.isValid() && result.failure.isEmpty()) {
        newest_ = result;
        probing_ = result.report.month.addMonths(-1);
        rebuild();
        return;
    }
    if (probing_.isValid()) {
        // buildReport refuses a month without records.
        if (!result.failure.isEmpty()) result = *newest_;
        newest_.reset();
        probing_ = {};
    }
    present(result);
    emit reportShown();
}

bool ReportWindow::askYears(const QList<FileFault>& faults) {
    bool given = false;
    for (const FileFault& fault : faults) {
        if (!fault.undated || yearAsked_.contains(fault.path)) continue;
        yearAsked_ << fault.path;
        const std::optional<int> year =
            dialogs_.year(this, texts::kLastYearTitle, texts::kLastYearPrompt.arg(fault.reason),
                          QDate::currentDate().year());
        if (!year) continue;
        lastYears_[fault.path] = *year;
        given = true;
    }
    return given;
}

// A file left out says why in its row of the list.
void ReportWindow::listFiles(const QList<FileFault>& faults) {
    faults_ = faults;
    for (int row = 0; row < fileList_->count() && row < files_.size(); ++row) {
        QListWidgetItem* item = fileList_->item(row);
        const QString path = QDir::toNativeSeparators(files_[row]);
        const auto fault = std::find_if(faults.begin(), faults.end(),
                                        [&](const FileFault& f) { return f.path == files_[row]; });
        const bool left = fault != faults.end();
        item->setText(left ? path + QStringLiteral("　") + texts::kFileLeftOut.arg(fault->reason)
                           : path);
        item->setToolTip(left ? fault->reason : QString());
        item->setIcon(left ? style()->standardIcon(QStyle::SP_MessageBoxWarning) : QIcon());
    }
}

void ReportWindow::present(const Built& result) {
    QString text = result.failure;
    if (text.isEmpty()) {
        const QSignalBlocker quiet(month_);
        month_->setDate(result.report.month);
        text = teachersLine(result.report);
    }
    // The teacher and the day shown stay shown when the report is read again.
    const QString shownName = model_.teacher() >= 0 ? teacher_->currentText() : QString();
    const int shownRow = table_->currentIndex().row();
    message_->setText(text);
    message_->setToolTip({}); // the paths of the files saved from the report before
    listFiles(result.faults);
    showNotices(result.report);
    model_.setReport(result.report);
    {
        const QSignalBlocker block(teacher_);
        teacher_->clear();
        teacher_->addItem(texts::kEveryone);
        teacher_->addItem(texts::kYearView);
        for (const TeacherMonth& t : result.report.teachers) teacher_->addItem(t.name);
        if (year_.shown()) teacher_->setCurrentIndex(kYearItem);
        if (board_->hasSchools()) teacher_->addItem(texts::kBoardView, kBoardItem);
        if (table_->model() == board_) teacher_->setCurrentIndex(teacher_->count() - 1);
    }
    fitColumns();
    entryButton_->setEnabled(!files_.isEmpty());
    const int again = shownName.isEmpty() ? -1 : teacher_->findText(shownName);
    if (again > 0) {
        const QSignalBlocker block(teacher_);
        teacher_->setCurrentIndex(again);
        choose(again - kFirstTeacherItem);
        table_->setCurrentIndex(model_.index(shownRow, 0));
    }
    Ledger ledger = result.report.ledger;
    if (!result.failure.isEmpty() && !files_.isEmpty()) try {
            ledger = readLedger(QDir(ledgerFolder()));
        } catch (const Failure&) {
        }
    ledger_ = ledger;
    staffTab_->showLines(ledger);
    calendarTab_->showLines(ledger);
    staffTab_->setRecordedNames(result.report.recorded);
    ReportRequest shown;
    shown.files = files_, shown.lastYears = lastYears_;
    if (result.failure.isEmpty()) shown.month = result.report.month;
    year_.follow(shown);
}

// 記入者, asked once a session; true when given.
bool ReportWindow::askWriter() {
    const std::optional<QString> writer =
        dialogs_.text(this, QStringLiteral("writer"), texts::kWriterTitle, texts::kWriterPrompt);
    if (!writer) return false;
    // A name the file cannot hold would refuse every entry of the session: said now.
    const Entry trial{.written = QDateTime::currentDateTime(),
                      .writer = *writer,
                      .name = texts::kWriterTitle,
                      .date = QDate::currentDate(),
                      .kind = EntryKind::Leave,
                      .reason = texts::kWriterTitle};
    if (const std::optional<QString> fault = entryFault(trial)) {
        dialogs_.warn(this, texts::kWriterTitle, *fault);
        return false;
    }
    writer_ = *writer;
    return true;
}

// `day` a row of the teacher's days shown, or -1: the first of the month.
void ReportWindow::askEntry(int day) {
    const MonthReport& report = model_.report();
    if (files_.isEmpty() || reading_) return;
    if (writer_.isEmpty() && !askWriter()) return;
    QString name;
    QDate date = report.month.isValid() ? report.month : month_->date();
    const int teacher = model_.teacher() >= 0 ? model_.teacher() : table_->currentIndex().row();
    if (teacher >= 0 && teacher < report.teachers.size()) {
        name = report.teachers[teacher].name;
        if (model_.teacher() >= 0 && day >= 0 && day < report.teachers[teacher].days.size())
            date = report.teachers[teacher].days[day].date;
    }
    // Once each: a staff list of thousands costs no more than its length.
    QStringList known;
    QSet<QString> seen;
    const auto know = [&](const QString& n) {
        if (seen.contains(n)) return;
        seen.insert(n);
        known << n;
    };
    for (const TeacherMonth& t : report.teachers) know(t.name);
    for (const StaffLine& s : report.ledger.staff) know(s.name);
    EntryDialog dialog(dialogs_, QDir(ledgerFolder()), report.ledger.entries, known,
                       report.recorded, writer_, name, date, this);
    dialog.setClosings(report.ledger.closings);
    connect(&dialog, &EntryDialog::appended, this, &ReportWindow::recompute);
    dialogs_.run(dialog);
}

// The month shown, closed by 記入者 as entries are written; its report read again at once.
void ReportWindow::askClose() {
    const MonthReport& report = model_.report();
    if (files_.isEmpty() || reading_ || report.teachers.isEmpty()) return;
    if (writer_.isEmpty() && !askWriter()) return;
    const QDateTime now = QDateTime::currentDateTime();
    const ClosingOutcome outcome =
        askClosing(dialogs_, this, report, writer_,
                   QDateTime(now.date(), QTime(now.time().hour(), now.time().minute())));
    if (outcome.closed) recompute();
    if (!outcome.said.isEmpty()) message_->setText(outcome.said);
}

void ReportWindow::showNotices(const MonthReport& report) {
    QStringList lines;
    if (!faults_.isEmpty()) lines << texts::kFilesLeftOut.arg(faults_.size());
    lines << report.chainNotes; // few, and each names an edit: shown whole
    if (report.skipped > 0) lines << texts::kLinesSkipped.arg(report.skipped);
    if (!report.warnings.isEmpty()) lines << texts::kDatesAssumed.arg(report.warnings.size());
    const QStringList problems = problemTexts(report);
    if (!problems.isEmpty()) lines << texts::kLedgerLinesSkipped.arg(problems.size());
    noticeText_->setText(lines.join(QStringLiteral("。")) + QStringLiteral("。"));
    noticeText_->setToolTip((report.warnings + problems).join(u'\n'));
    warningsButton_->setVisible(!report.warnings.isEmpty() || !problems.isEmpty() ||
                                !faults_.isEmpty() || !report.chainNotes.isEmpty());
    notices_->setVisible(!lines.isEmpty());
}

// Each warning names its file and line, so that the line can be found and checked; the list
// can be copied.
void ReportWindow::listWarnings() {
    QDialog dialog(this);
    dialog.setObjectName(QStringLiteral("notices"));
    dialog.setWindowTitle(texts::kNoticesTitle);
    QStringList lines;
    for (const FileFault& fault : faults_) lines << texts::kFileLeftOut.arg(fault.reason);
    auto* list = new QPlainTextEdit((lines + model_.report().chainNotes + model_.report().warnings +
                                     problemTexts(model_.report()))
                                        .join(QStringLiteral("\n\n")));
    list->setReadOnly(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(list);
    layout->addWidget(buttons);
    dialog.resize(640, 280);
    dialogs_.run(dialog);
}

void ReportWindow::askFiles() {
    const QStringList files =
        dialogs_.openFiles(this, texts::kAddFilesTitle, texts::kRecordFilesFilter);
    if (!files.isEmpty() && settleEdits({staffTab_, calendarTab_})) addFiles(recordFiles(files));
}

void ReportWindow::askFolder() {
    const QString folder = dialogs_.folder(this, texts::kAddFolderTitle);
    if (folder.isEmpty() || !settleEdits({staffTab_, calendarTab_})) return;
    if (!offerBoard(folder)) addFiles(recordFilesIn(folder));
}

// The report shown is saved; while another is read, nothing is (it would be the old one).
// Old files of the same month are replaced only when the office says so.
void ReportWindow::askSave(Formats formats) {
    if (year_.shown() ? !year_.ready() : model_.report().teachers.isEmpty() || reading_) return;
    const QString folder = dialogs_.folder(this, texts::kSaveFolderTitle, saveFolder());
    if (folder.isEmpty()) return;
    settings().setValue(kSaveFolderKey, folder);
    const QDir dir(folder);
    QStringList old;
    for (const QString& n :
         year_.shown() ? year_.outputNames(formats) : outputNames(model_.report().month, formats))
        if (QFileInfo::exists(dir.filePath(n))) old << QDir::toNativeSeparators(dir.filePath(n));
    if (!old.isEmpty() && !dialogs_.confirm(this, QStringLiteral("saveOver"), texts::kSaveOverTitle,
                                            texts::kSaveOver.arg(old.join(u'\n'))))
        return;
    try {
        QStringList paths;
        for (const QString& w : year_.shown() ? year_.save(dir, formats)
                                              : saveReport(model_.report(), dir, formats, pdfBytes))
            paths << QDir::toNativeSeparators(QFileInfo(w).absoluteFilePath());
        message_->setText(texts::kSaved.arg(paths.join(QStringLiteral("、"))));
        message_->setToolTip(paths.join(u'\n'));
    } catch (const Failure& failure) {
        message_->setText(failure.message());
    }
}

// As tall as the screen leaves room for, a page's width to its height.
void ReportWindow::preview() {
    if (year_.shown() ? !year_.ready() : model_.report().teachers.isEmpty() || reading_) return;
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageLayout(sheetLayout());
    QPrintPreviewDialog dialog(&printer, this);
    dialog.setWindowTitle(texts::kPreviewTitle);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* p) {
        if (year_.shown()) return year_.paint(*p);
        paintSheets(model_.report(), *p);
    });
    const QRect room = screen()->availableGeometry();
    const int height = room.height() * 9 / 10;
    // Wide enough for its tool bar, where the screen has room.
    dialog.resize(std::min(room.width() * 9 / 10, std::max(height * 4 / 5, 800)), height);
    dialog.move(room.center() - dialog.rect().center());
    dialogs_.run(dialog);
}

} // namespace velmora
