#include "saving/output.h"
#include "saving/yearoutput.h"
#include "storage/datafiles.h"
#include "texts/texts.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <utility>
#include <xlsxwriter.h>

namespace velmora {
namespace {

// libxlsxwriter's results, each checked: the first fault ends the workbook, told by the
// system's reason where there is one (a full disk).
class YearBook {
public:
    YearBook(const QString& path, const QString& shownPath)
        : shown_(shownPath), folder_(QFile::encodeName(QFileInfo(path).path())) {
        lxw_workbook_options options{};
        options.tmpdir = folder_.data(); // not /tmp, as the month's workbook
        book_ = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        if (!book_) fail(LXW_ERROR_CREATING_XLSX_FILE);
        hours_ = add();
        format_set_num_format(hours_, "[h]:mm");
        header_ = add();
        format_set_bold(header_);
        format_set_bottom(header_, LXW_BORDER_THIN);
        format_set_text_wrap(header_);
        flag_ = add();
        format_set_font_color(flag_, LXW_COLOR_RED);
        format_set_bold(flag_);
        title_ = add();
        format_set_bold(title_);
        format_set_font_size(title_, 14);
    }
    ~YearBook() {
        if (book_) workbook_close(book_);
    }
    YearBook(const YearBook&) = delete;
    YearBook& operator=(const YearBook&) = delete;

    [[noreturn]] void fail(lxw_error error) const {
        const bool file = error >= LXW_ERROR_CREATING_XLSX_FILE && error <= LXW_ERROR_ZIP_CLOSE;
        throw Failure(texts::kCannotWrite.arg(
            shown_,
            file && errno ? qt_error_string(errno) : QString::fromUtf8(lxw_strerror(error))));
    }
    void check(lxw_error error) const {
        if (error != LXW_NO_ERROR) fail(error);
    }

    // A school's sheet: its title, the columns, a row per teacher.
    void school(const QString& sheet, const SchoolYear& school) {
        lxw_worksheet* s = workbook_add_worksheet(book_, sheet.toUtf8().constData());
        if (!s) fail(LXW_ERROR_PARAMETER_VALIDATION);
        const YearReport& year = school.year;
        text(s, 0, 0,
             texts::kYearHeading.arg(texts::kYearTitle.arg(year.year), school.school).trimmed(),
             title_);
        const QStringList columns = yearColumns();
        for (qsizetype c = 0; c < columns.size(); ++c) {
            text(s, 1, int(c), columns[c], header_);
            check(worksheet_set_column(s, lxw_col_t(c), lxw_col_t(c), c == 0 ? 20 : 9, nullptr));
        }
        worksheet_freeze_panes(s, 2, 1);
        int row = 2;
        for (const TeacherYear& t : year.teachers) teacher(s, row++, t);
    }
    void close() {
        errno = 0;
        check(workbook_close(std::exchange(book_, nullptr)));
    }

private:
    void teacher(lxw_worksheet* s, int row, const TeacherYear& t) {
        text(s, row, 0, t.name, nullptr);
        int col = 1;
        for (const MonthFigures& m : t.months) {
            hours(s, row, col++, m.inSchool);
            hours(s, row, col++, m.beyond);
        }
        hours(s, row, col++, t.inSchool);
        hours(s, row, col++, t.beyond);
        for (int average : t.highestAverage) hours(s, row, col++, average);
        check(worksheet_write_number(s, lxw_row_t(row), lxw_col_t(col++), t.over45, nullptr));
        text(s, row, col, flagsText(t.flags), flag_);
    }
    void text(lxw_worksheet* s, int row, int col, const QString& t, lxw_format* f) {
        check(worksheet_write_string(s, lxw_row_t(row), lxw_col_t(col), t.toUtf8().constData(), f));
    }
    // Minutes as a fraction of a day, shown [h]:mm; blank when -1.
    void hours(lxw_worksheet* s, int row, int col, int minutes) {
        check(minutes < 0 ? worksheet_write_blank(s, lxw_row_t(row), lxw_col_t(col), nullptr)
                          : worksheet_write_number(s, lxw_row_t(row), lxw_col_t(col),
                                                   minutes / (24.0 * 60), hours_));
    }
    lxw_format* add() {
        lxw_format* f = workbook_add_format(book_);
        if (!f) fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
        return f;
    }

    QString shown_;
    QByteArray folder_;
    lxw_workbook* book_ = nullptr;
    lxw_format* hours_;
    lxw_format* header_;
    lxw_format* flag_;
    lxw_format* title_;
};

} // namespace

void writeYearsXlsx(const QList<SchoolYear>& schools, const QString& path,
                    const QString& shownPath) {
    YearBook book(path, shownPath);
    QSet<QString> used = {QStringLiteral("history")};
    for (const SchoolYear& school : schools) {
        const QString title = texts::kYearTitle.arg(school.year.year);
        book.school(sheetName(school.school.isEmpty() ? title : school.school, used), school);
    }
    book.close();
}

} // namespace velmora
