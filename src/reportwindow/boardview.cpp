#include "reportwindow/boardview.h"

#include "board/schools.h"
#include "reportwindow/reportwindow.h"
#include "texts/texts.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QtConcurrent/QtConcurrentRun>

namespace velmora {

BoardView::BoardView(QObject* parent) : QAbstractTableModel(parent) {
    connect(&reading_, &QFutureWatcher<BoardReport>::finished, this, &BoardView::done);
}

// The reading holds no pointer into the model, yet its end is waited for: a board of many
// schools would otherwise outlive the window's threads.
BoardView::~BoardView() { reading_.waitForFinished(); }

bool BoardView::offer(const QString& folder) {
    if (!folderRecordFiles(folder).isEmpty()) return false;
    const QStringList schools = schoolFolders(folder);
    if (schools.isEmpty()) return false;
    folders_ = schools;
    return true;
}

void BoardView::read(QDate month) {
    if (folders_.isEmpty() || !month.isValid()) return;
    month_ = QDate(month.year(), month.month(), 1);
    if (reading_.isRunning())
        again_ = true;
    else
        start();
}

void BoardView::start() {
    BoardRequest request;
    request.folders = folders_;
    request.base.month = month_;
    reading_.setFuture(QtConcurrent::run([request] { return buildBoard(request); }));
}

void BoardView::done() {
    if (std::exchange(again_, false)) return start();
    beginResetModel();
    board_ = reading_.result();
    rows_ = schoolRows(board_);
    endResetModel();
    line_ = texts::kBoardDone.arg(board_.month.toString(QStringLiteral("yyyy-MM")))
                .arg(board_.rows.size())
                .arg(board_.total.teachers)
                .arg(board_.leftOut.size());
    emit shown();
}

QString BoardView::folderAt(int row) const {
    return row >= 0 && row < board_.rows.size() ? board_.rows[row].folder : QString();
}

int BoardView::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int BoardView::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(texts::kBoardColumns.size());
}

QVariant BoardView::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rows_.size()) return {};
    const BoardRow& row = rows_[index.row()];
    if (index.column() >= row.size()) return {};
    const BoardCell& cell = row[index.column()];
    if (role == Qt::DisplayRole) return cellText(cell);
    if (role == Qt::TextAlignmentRole && cell.kind != BoardCell::Kind::Text)
        return int(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant BoardView::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return texts::kBoardColumns.value(section);
    return {};
}

bool ReportWindow::offerBoard(const QString& folder) {
    if (!board_->offer(folder)) return false;
    int item = teacher_->findData(kBoardItem);
    if (item < 0) {
        const QSignalBlocker quiet(teacher_);
        teacher_->addItem(texts::kBoardView, kBoardItem);
        item = teacher_->count() - 1;
    }
    teacher_->setCurrentIndex(item);
    showBoard();
    board_->read(month_->date());
    return true;
}

void ReportWindow::showBoard() {
    model_.showTeacher(-1); // the entry button asks as from 集計
    table_->setModel(board_);
    table_->resizeColumnsToContents();
    message_->setText(board_->line());
}

// The school's files in place of the window's, in the board's month.
void ReportWindow::openSchool(const QString& folder) {
    if (folder.isEmpty() || !settleEdits({staffTab_, calendarTab_})) return;
    files_.clear();
    fileList_->clear();
    lastYears_.clear();
    yearAsked_.clear();
    monthChosen_ = true;
    teacher_->setCurrentIndex(0);
    addFiles(folderRecordFiles(folder));
}

} // namespace velmora
