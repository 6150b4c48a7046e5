#include "saving/boardoutput.h"

#include "storage/datafiles.h"
#include "texts/texts.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <utility>
#include <xlsxwriter.h>

namespace velmora {

namespace {

constexpr double kMinutesPerDay = 24 * 60;

// Every call of libxlsxwriter checked; the first fault ends the workbook, told by the
// system's reason where it was a file's.
class BoardBook {
public:
    BoardBook(const QString& path, const QString& shown)
        : shown_(shown), folder_(QFile::encodeName(QFileInfo(path).path())) {
        lxw_workbook_options options{};
        options.tmpdir = folder_.data();
        book_ = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        if (!book_) fail(LXW_ERROR_CREATING_XLSX_FILE);
        header_ = workbook_add_format(book_);
        hours_ = workbook_add_format(book_);
        if (!header_ || !hours_) fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
        format_set_bold(header_);
        format_set_bottom(header_, LXW_BORDER_THIN);
        format_set_num_format(hours_, "[h]:mm");
    }
    ~BoardBook() {
        if (book_) workbook_close(book_);
    }
    [[noreturn]] void fail(lxw_error error) const {
        const bool file = error >= LXW_ERROR_CREATING_XLSX_FILE && error <= LXW_ERROR_ZIP_CLOSE;
        throw Failure(texts::kCannotWrite.arg(
            shown_,
            file && errno ? qt_error_string(errno) : QString::fromUtf8(lxw_strerror(error))));
    }
    void check(lxw_error error) const {
        if (error != LXW_NO_ERROR) fail(error);
    }
    void sheet(const QString& name, const QStringList& header, const QList<BoardRow>& rows) {
        lxw_worksheet* s = workbook_add_worksheet(book_, name.toUtf8().constData());
        if (!s) fail(LXW_ERROR_PARAMETER_VALIDATION);
        for (qsizetype c = 0; c < header.size(); ++c) {
            check(worksheet_write_string(s, 0, lxw_col_t(c), header[c].toUtf8().constData(),
                                         header_));
            check(worksheet_set_column(s, lxw_col_t(c), lxw_col_t(c), c < 2 ? 18 : 12, nullptr));
        }
        worksheet_freeze_panes(s, 1, 1);
        for (qsizetype r = 0; r < rows.size(); ++r)
            for (qsizetype c = 0; c < rows[r].size(); ++c)
                cell(s, lxw_row_t(r + 1), lxw_col_t(c), rows[r][c]);
    }
    void close() {
        errno = 0;
        check(workbook_close(std::exchange(book_, nullptr)));
    }

private:
    // Durations are numbers shown as [h]:mm, so that Excel adds them.
    void cell(lxw_worksheet* s, lxw_row_t row, lxw_col_t col, const BoardCell& c) {
        switch (c.kind) {
        case BoardCell::Kind::Count:
            return check(worksheet_write_number(s, row, col, double(c.value), nullptr));
        case BoardCell::Kind::Minutes:
            return check(worksheet_write_number(s, row, col, c.value / kMinutesPerDay, hours_));
        case BoardCell::Kind::Text:
            if (!c.text.isEmpty())
                check(worksheet_write_string(s, row, col, c.text.toUtf8().constData(), nullptr));
        }
    }

    QString shown_;
    QByteArray folder_;
    lxw_workbook* book_ = nullptr;
    lxw_format* header_ = nullptr;
    lxw_format* hours_ = nullptr;
};

} // namespace

void writeBoardXlsx(const BoardReport& board, const QString& path, const QString& shownPath) {
    BoardBook book(path, shownPath);
    book.sheet(texts::kBoardSheet, texts::kBoardColumns, schoolRows(board));
    book.sheet(texts::kNoticeSheet, texts::kNoticeColumns, noticeRows(board));
    book.close();
}

} // namespace velmora
