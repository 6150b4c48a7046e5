#pragma once
// The year's printed sheets on A4 portrait: a page per school (more when its teachers do not
// fit), each teacher's hours beyond regular hours of April to March as bars against 45 h, on
// one scale for the school. Qt Gui: needs a QGuiApplication.

#include "saving/yearoutput.h"

#include <QByteArray>
#include <QPagedPaintDevice>

namespace velmora {

void paintYearSheets(const QList<SchoolYear>& schools, QPagedPaintDevice& device);

// The PDF's bytes, for saveYear().
QByteArray yearPdfBytes(const QList<SchoolYear>& schools);

} // namespace velmora
