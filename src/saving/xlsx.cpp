#include "saving/output.h"

#include "storage/datafiles.h"
#include "texts/texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cerrno>
#include <utility>
#include <xlsxwriter.h>

namespace velmora {
namespace {

constexpr double kMinutesPerDay = 24 * 60;
constexpr lxw_color_t kShade = 0xE4E4E4;
constexpr int kSheetNameLength = 31; // UTF-16 units, as Excel counts them

// Excel's day numbers count from 1899-12-30.
double excelDay(QDate date) {
    return double(date.toJulianDay() - QDate(1899, 12, 30).toJulianDay());
}

} // namespace

// A sheet name Excel accepts: at most 31 characters, none of []:*?/\ or a control
// character, no apostrophe at either end, unique without regard to case, and neither the
// summary's name nor History, which Excel keeps for itself. The sheet's title cell and
// print header say the whole name.
QString sheetName(const QString& name, QSet<QString>& used) {
    QString base;
    for (QChar c : name)
        base += QStringLiteral("[]:*?/\\").contains(c) || c.category() == QChar::Other_Control
                    ? u'_'
                    : c;
    base = base.trimmed().left(kSheetNameLength);
    if (!base.isEmpty() && base.back().isHighSurrogate()) base.chop(1);
    if (base.startsWith(u'\'')) base.front() = u'_';
    if (base.endsWith(u'\'')) base.back() = u'_';
    if (base.isEmpty()) base = QStringLiteral("_");
    QString candidate = base;
    for (int n = 2; used.contains(candidate.toCaseFolded()); ++n) {
        const QString suffix = QStringLiteral("(%1)").arg(n);
        candidate = base.left(kSheetNameLength - suffix.size());
        if (candidate.back().isHighSurrogate()) candidate.chop(1);
        candidate += suffix;
    }
    used.insert(candidate.toCaseFolded());
    return candidate;
}

namespace {

// libxlsxwriter's results, every one checked: the first fault ends the workbook.
class Book {
public:
    Book(const QString& path, const QString& shownPath)
        : shown_(shownPath), folder_(QFile::encodeName(QFileInfo(path).path())) {
        lxw_workbook_options options{};
        options.tmpdir = folder_.data(); // not /tmp: a fault there went unnoticed
        book_ = workbook_new_opt(QFile::encodeName(path).constData(), &options);
        if (!book_) fail(LXW_ERROR_CREATING_XLSX_FILE);
        for (int shaded = 0; shaded < 2; ++shaded) {
            text_[shaded] = format(shaded, nullptr);
            date_[shaded] = format(shaded, "yyyy-mm-dd");
            hours_[shaded] = format(shaded, "[h]:mm");
        }
        header_ = format(false, nullptr);
        format_set_bold(header_);
        format_set_bottom(header_, LXW_BORDER_THIN);
        flag_ = format(false, nullptr);
        format_set_font_color(flag_, LXW_COLOR_RED);
        format_set_bold(flag_);
        title_ = format(false, nullptr);
        format_set_bold(title_);
        format_set_font_size(title_, 14);
    }
    ~Book() {
        if (book_) workbook_close(book_);
    }

    // A file's fault is told by the system's reason (a full disk), which libxlsxwriter's
    // own text leaves out.
    [[noreturn]] void fail(lxw_error error) const {
        const bool file = error >= LXW_ERROR_CREATING_XLSX_FILE && error <= LXW_ERROR_ZIP_CLOSE;
        throw Failure(texts::kCannotWrite.arg(
            shown_,
            file && errno ? qt_error_string(errno) : QString::fromUtf8(lxw_strerror(error))));
    }
    void check(lxw_error error) const {
        if (error != LXW_NO_ERROR) fail(error);
    }

    lxw_worksheet* sheet(const QString& name) {
        const QByteArray utf8 = name.toUtf8();
        check(workbook_validate_sheet_name(book_, utf8.constData()));
        lxw_worksheet* sheet = workbook_add_worksheet(book_, utf8.constData());
        if (!sheet) fail(LXW_ERROR_PARAMETER_VALIDATION);
        return sheet;
    }
    // The column headings in `row`, frozen with the rows above them.
    void headers(lxw_worksheet* s, int row, const QStringList& names, const QList<double>& widths) {
        for (qsizetype c = 0; c < names.size(); ++c) {
            write(s, row, int(c), names[c], header_);
            check(worksheet_set_column(s, lxw_col_t(c), lxw_col_t(c), widths[c], nullptr));
        }
        worksheet_freeze_panes(s, lxw_row_t(row + 1), 0);
    }
    // The whole name on the sheet and on each printed page: a sheet's name may be cut short.
    void title(lxw_worksheet* s, const QString& text) {
        write(s, 0, 0, text, title_);
        QString header = QStringLiteral("&L") + QString(text).replace(u'&', QStringLiteral("&&"));
        while (header.toUtf8().size() > 255) header.chop(1);
        check(worksheet_set_header(s, header.toUtf8().constData()));
    }
    void text(lxw_worksheet* s, int row, int col, const QString& t, bool shaded = false) {
        write(s, row, col, t, text_[shaded]);
    }
    void flags(lxw_worksheet* s, int row, int col, const QString& t) {
        write(s, row, col, t, flag_);
    }
    void date(lxw_worksheet* s, int row, int col, QDate d, bool shaded) {
        check(
            worksheet_write_number(s, lxw_row_t(row), lxw_col_t(col), excelDay(d), date_[shaded]));
    }
    // Minutes as a fraction of a day, shown [h]:mm; a blank (shaded or not) when -1.
    void hours(lxw_worksheet* s, int row, int col, int minutes, bool shaded = false) {
        check(minutes < 0 ? worksheet_write_blank(s, lxw_row_t(row), lxw_col_t(col), text_[shaded])
                          : worksheet_write_number(s, lxw_row_t(row), lxw_col_t(col),
                                                   minutes / kMinutesPerDay, hours_[shaded]));
    }
    void number(lxw_worksheet* s, int row, int col, int n) {
        check(worksheet_write_number(s, lxw_row_t(row), lxw_col_t(col), n, text_[0]));
    }
    // Writes the file; the book cannot be used after.
    void close() {
        errno = 0;
        check(workbook_close(std::exchange(book_, nullptr)));
    }

private:
    void write(lxw_worksheet* s, int row, int col, const QString& t, lxw_format* f) {
        check(worksheet_write_string(s, lxw_row_t(row), lxw_col_t(col), t.toUtf8().constData(), f));
    }
    lxw_format* format(bool shaded, const char* numbers) {
        lxw_format* f = workbook_add_format(book_);
        if (!f) fail(LXW_ERROR_MEMORY_MALLOC_FAILED);
        if (numbers) format_set_num_format(f, numbers);
        if (shaded) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, kShade);
        }
        return f;
    }

    QString shown_;
    QByteArray folder_;
    lxw_workbook* book_ = nullptr;
    lxw_format* text_[2];
    lxw_format* date_[2];
    lxw_format* hours_[2];
    lxw_format* header_;
    lxw_format* flag_;
    lxw_format* title_;
};

// A change since the closing in red, as the flags are.
void closing(Book& book, lxw_worksheet* s, int row, int col, const QString& text, bool changed,
             bool shaded = false) {
    if (changed)
        book.flags(s, row, col, text);
    else
        book.text(s, row, col, text, shaded);
}

void fill(Book& book, const MonthReport& report) {
    const QString summaryName = QStringLiteral("集計");
    lxw_worksheet* summary = book.sheet(summaryName);
    book.headers(summary, 0,
                 QStringList{texts::kName} + texts::kTotalColumns << texts::kRegularTotal
                                                                  << texts::kClosingColumn,
                 {20, 10, 8, 14, 12, 14, 50, 10, 14});
    QSet<QString> used = {summaryName, QStringLiteral("history")};
    int row = 1;
    for (const TeacherMonth& t : report.teachers) {
        book.text(summary, row, 0, t.name);
        book.number(summary, row, 1, t.workedDays);
        book.number(summary, row, 2, t.toCorrect);
        book.hours(summary, row, 3, t.inSchool);
        book.hours(summary, row, 4, t.beyond);
        book.hours(summary, row, 5, t.yearBeyond);
        book.flags(summary, row, 6, flagsText(t.flags));
        book.hours(summary, row, 7, t.regular);
        closing(book, summary, row, 8, closingCell(t), t.closing == ClosingState::Changed);
        ++row;

        lxw_worksheet* sheet = book.sheet(sheetName(t.name, used));
        book.title(sheet, texts::kSheetTitle.arg(monthTitle(report.month), t.name));
        book.headers(sheet, 1,
                     texts::kDayColumns + texts::kDayFigureColumns << texts::kClosingColumn,
                     {12, 6, 8, 8, 12, 10, 30, 8, 8, 8, 30});
        int r = 2;
        for (const Day& d : t.days) {
            book.date(sheet, r, 0, d.date, d.offDay);
            book.text(sheet, r, 1, weekdayName(d.date), d.offDay);
            book.hours(sheet, r, 2, d.arrival, d.offDay);
            book.hours(sheet, r, 3, d.leaving, d.offDay);
            book.hours(sheet, r, 4, d.inSchool, d.offDay);
            book.hours(sheet, r, 5, d.beyond, d.offDay);
            book.text(sheet, r, 6, dayNotesText(d), d.offDay);
            book.hours(sheet, r, 7, d.regular, d.offDay);
            book.hours(sheet, r, 8, d.outside, d.offDay);
            book.hours(sheet, r, 9, d.takenOut, d.offDay);
            closing(book, sheet, r, 10, dayClosingCell(d), d.closedAs.has_value(), d.offDay);
            ++r;
        }
        book.text(sheet, r, 0, texts::kTotal);
        book.hours(sheet, r, 4, t.inSchool);
        book.hours(sheet, r, 5, t.beyond);
        book.flags(sheet, r, 6, flagsText(t.flags));
        book.hours(sheet, r, 7, t.regular);
    }
}

} // namespace

void writeXlsx(const MonthReport& report, const QString& path, const QString& shownPath) {
    Book book(path, shownPath);
    fill(book, report);
    book.close();
}

} // namespace velmora
