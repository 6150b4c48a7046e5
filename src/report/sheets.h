#pragma once
// The printed sheets of a month on A4 portrait: page 1 the school's summary with a chart of
// each teacher's hours beyond regular hours, then one page per teacher with the days, the
// totals and flags, a daily chart and the seals. Qt Gui: needs a QGuiApplication.

#include "report/report.h"

#include <QDir>
#include <QPagedPaintDevice>
#include <QStringList>
#include <memory>

namespace velmora {

struct FileCalls;

// Paints every page on a device already set to A4 portrait (a QPdfWriter or a QPrinter).
void paintSheets(const MonthReport& report, QPagedPaintDevice& device);

// The PDF's bytes.
QByteArray pdfBytes(const MonthReport& report);

struct Formats {
    bool csv = false, xlsx = false, pdf = false;
};
// Writes the chosen files into `folder` under reportBaseName(), all of them or none (the old
// ones stay); returns their paths. Both the command line and the window save through it; the
// syncs and renames go through `calls` (the system's own when none). Throws Failure.
QStringList saveReport(const MonthReport& report, const QDir& folder, Formats formats,
                       std::shared_ptr<const FileCalls> calls = nullptr);

} // namespace velmora
