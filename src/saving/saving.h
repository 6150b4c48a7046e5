#pragma once
// A month's files saved as one set, whole or not at all: the CSV and the XLSX written here
// with Qt Core alone, the PDF painted by a library with Qt Gui and handed in as bytes.

#include "report/report.h"

#include <QByteArray>
#include <QDir>
#include <QStringList>
#include <functional>
#include <memory>

namespace velmora {

struct FileCalls;
struct BoardReport;

struct Formats {
    bool csv = false, xlsx = false, pdf = false;
};

// "在校等時間_2026-07".
QString reportBaseName(QDate month);

// The chosen files' names, in the order they are written: the days' CSV, the summary's
// ("_集計.csv"), the XLSX, the PDF. Whoever asks about old files asks here.
QStringList outputNames(QDate month, Formats formats);

// "在校等時間_2026年度", and its files' names in the order they are written: the CSV, the
// XLSX, the PDF.
QString yearBaseName(int schoolYear);
QStringList yearOutputNames(int schoolYear, Formats formats);

// The PDF's bytes; the printing library makes them.
using PdfMaker = std::function<QByteArray(const MonthReport&)>;

// Writes the chosen files into `folder` under outputNames(), all of them or none (the old
// ones stay); returns their paths. `pdf` is needed when the PDF is chosen. Both the command
// line and the window save through it; the syncs and renames go through `calls` (the
// system's own when none). Throws Failure.
QStringList saveReport(const MonthReport& report, const QDir& folder, Formats formats,
                       const PdfMaker& pdf = {}, std::shared_ptr<const FileCalls> calls = nullptr);

// The board's month: "在校等時間_教育委員会_2026年07月", and its files in the order written:
// by school (.csv), the teachers to be told ("_通知対象.csv"), the XLSX, the PDF.
QString boardBaseName(QDate month);
QStringList boardOutputNames(QDate month, Formats formats);
using BoardPdfMaker = std::function<QByteArray(const BoardReport&)>;
// As saveReport(), for the board's files.
QStringList saveBoard(const BoardReport& board, const QDir& folder, Formats formats,
                      const BoardPdfMaker& pdf = {},
                      std::shared_ptr<const FileCalls> calls = nullptr);

} // namespace velmora
