#include "report/output.h"

#include "common/datafiles.h"
#include "common/texts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <cstdio>
#include <xlsxwriter.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace velmora {
namespace {

constexpr double kMinutesPerDay = 24 * 60;
constexpr lxw_color_t kShade = 0xE4E4E4;

// Excel's day numbers count from 1899-12-30.
double excelDay(QDate date) {
    return double(date.toJulianDay() - QDate(1899, 12, 30).toJulianDay());
}

// A sheet name Excel accepts: at most 31 characters, none of []:*?/\, unique.
QString sheetName(const QString& name, QSet<QString>& used) {
    QString base = name;
    for (QChar c : QStringLiteral("[]:*?/\\")) base.replace(c, u'_');
    base = base.left(28).trimmed();
    if (base.isEmpty() || base.startsWith(u'\'')) base.prepend(u'_');
    QString candidate = base;
    for (int n = 2; used.contains(candidate.toLower()) || candidate == QStringLiteral("集計"); ++n)
        candidate = base + QStringLiteral("(%1)").arg(n);
    used.insert(candidate.toLower());
    return candidate;
}

class Book {
public:
    explicit Book(const QString& path) : book_(workbook_new(QFile::encodeName(path).constData())) {
        if (!book_) throw Failure(texts::kCannotWriteFile.arg(path));
        for (int shaded = 0; shaded < 2; ++shaded) {
            text_[shaded] = format(shaded, nullptr);
            date_[shaded] = format(shaded, "yyyy-mm-dd");
            hours_[shaded] = format(shaded, "[h]:mm");
        }
        header_ = workbook_add_format(book_);
        format_set_bold(header_);
        format_set_bottom(header_, LXW_BORDER_THIN);
        flag_ = workbook_add_format(book_);
        format_set_font_color(flag_, LXW_COLOR_RED);
        format_set_bold(flag_);
    }
    ~Book() {
        if (book_) workbook_close(book_);
    }

    lxw_worksheet* sheet(const QString& name) {
        return workbook_add_worksheet(book_, name.toUtf8().constData());
    }
    void headers(lxw_worksheet* sheet, const QStringList& names, const QList<double>& widths) {
        for (qsizetype c = 0; c < names.size(); ++c) {
            worksheet_write_string(sheet, 0, lxw_col_t(c), names[c].toUtf8().constData(), header_);
            worksheet_set_column(sheet, lxw_col_t(c), lxw_col_t(c), widths[c], nullptr);
        }
        worksheet_freeze_panes(sheet, 1, 0);
    }
    void text(lxw_worksheet* s, int row, int col, const QString& t, bool shaded = false) {
        worksheet_write_string(s, lxw_row_t(row), lxw_col_t(col), t.toUtf8().constData(),
                               text_[shaded]);
    }
    void flags(lxw_worksheet* s, int row, int col, const QString& t) {
        worksheet_write_string(s, lxw_row_t(row), lxw_col_t(col), t.toUtf8().constData(), flag_);
    }
    void date(lxw_worksheet* s, int row, int col, QDate d, bool shaded) {
        worksheet_write_number(s, lxw_row_t(row), lxw_col_t(col), excelDay(d), date_[shaded]);
    }
    // Minutes as a fraction of a day, shown [h]:mm; a blank (shaded or not) when -1.
    void hours(lxw_worksheet* s, int row, int col, int minutes, bool shaded = false) {
        if (minutes < 0)
            worksheet_write_blank(s, lxw_row_t(row), lxw_col_t(col), text_[shaded]);
        else
            worksheet_write_number(s, lxw_row_t(row), lxw_col_t(col), minutes / kMinutesPerDay,
                                   hours_[shaded]);
    }
    void number(lxw_worksheet* s, int row, int col, int n) {
        worksheet_write_number(s, lxw_row_t(row), lxw_col_t(col), n, text_[0]);
    }
    // Writes the file; the book cannot be used after.
    lxw_error close() {
        lxw_workbook* book = book_;
        book_ = nullptr;
        return workbook_close(book);
    }

private:
    lxw_format* format(bool shaded, const char* numbers) {
        lxw_format* f = workbook_add_format(book_);
        if (numbers) format_set_num_format(f, numbers);
        if (shaded) {
            format_set_pattern(f, LXW_PATTERN_SOLID);
            format_set_bg_color(f, kShade);
        }
        return f;
    }

    lxw_workbook* book_;
    lxw_format* text_[2];
    lxw_format* date_[2];
    lxw_format* hours_[2];
    lxw_format* header_;
    lxw_format* flag_;
};

void fill(Book& book, const MonthReport& report) {
    lxw_worksheet* summary = book.sheet(QStringLiteral("集計"));
    book.headers(summary,
                 {QStringLiteral("氏名"), QStringLiteral("出勤日数"),
                  QStringLiteral("在校等時間合計"), QStringLiteral("時間外合計"),
                  QStringLiteral("年度累計時間外"), QStringLiteral("判定")},
                 {20, 10, 14, 12, 14, 50});
    QSet<QString> used;
    int row = 1;
    for (const TeacherMonth& t : report.teachers) {
        book.text(summary, row, 0, t.name);
        book.number(summary, row, 1, t.workedDays);
        book.hours(summary, row, 2, t.inSchool);
        book.hours(summary, row, 3, t.beyond);
        book.hours(summary, row, 4, t.yearBeyond);
        book.flags(summary, row, 5, t.flags.join(u'・'));
        ++row;

        lxw_worksheet* sheet = book.sheet(sheetName(t.name, used));
        book.headers(sheet,
                     {QStringLiteral("日付"), QStringLiteral("曜日"), QStringLiteral("出"),
                      QStringLiteral("退"), QStringLiteral("在校等時間"), QStringLiteral("時間外"),
                      QStringLiteral("備考")},
                     {12, 6, 8, 8, 12, 10, 30});
        int r = 1;
        for (const Day& d : t.days) {
            book.date(sheet, r, 0, d.date, d.offDay);
            book.text(sheet, r, 1, weekdayName(d.date), d.offDay);
            book.hours(sheet, r, 2, d.arrival, d.offDay);
            book.hours(sheet, r, 3, d.leaving, d.offDay);
            book.hours(sheet, r, 4, d.inSchool, d.offDay);
            book.hours(sheet, r, 5, d.beyond, d.offDay);
            book.text(sheet, r, 6, d.notes.join(u'・'), d.offDay);
            ++r;
        }
        book.text(sheet, r, 0, QStringLiteral("合計"));
        book.hours(sheet, r, 4, t.inSchool);
        book.hours(sheet, r, 5, t.beyond);
        book.flags(sheet, r, 6, t.flags.join(u'・'));
    }
}

// Replaces an older report in one step, which Windows' rename() refuses to do.
bool replaceFile(const QString& from, const QString& to) {
#ifdef _WIN32
    return MoveFileExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(from).utf16()),
                       reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(to).utf16()),
                       MOVEFILE_REPLACE_EXISTING);
#else
    return std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
#endif
}

} // namespace

void writeXlsx(const MonthReport& report, const QString& path) {
    const QFileInfo target(path);
    const QString temporary =
        target.dir().filePath(QStringLiteral(".%1.tmp").arg(target.fileName()));
    lxw_error error;
    {
        Book book(temporary);
        fill(book, report);
        error = book.close();
    }
    if (error == LXW_NO_ERROR && replaceFile(temporary, path)) return;
    // qt_error_string(): errno's text, or on Windows GetLastError()'s.
    const QString reason =
        error != LXW_NO_ERROR ? QString::fromUtf8(lxw_strerror(error)) : qt_error_string();
    QFile::remove(temporary);
    throw Failure(texts::kCannotWrite.arg(path, reason));
}

} // namespace velmora
