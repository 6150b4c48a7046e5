#pragma once
// The printed sheets of a month on A4 portrait: page 1 the school's summary with a chart of
// each teacher's hours beyond regular hours, then one page per teacher with the days, the
// totals and flags, a daily chart and the seals. Qt Gui: needs a QGuiApplication.

#include "report/report.h"

#include <QPageLayout>
#include <QPagedPaintDevice>

namespace velmora {

// A4 portrait with 12 mm margins, for the PDF and the printer alike.
QPageLayout sheetLayout();

// Paints every page on a device already set to A4 portrait (a QPdfWriter or a QPrinter).
void paintSheets(const MonthReport& report, QPagedPaintDevice& device);

// The PDF's bytes, for saveReport().
QByteArray pdfBytes(const MonthReport& report);

} // namespace velmora
