#pragma once
// `-f year`: the school year of the month's report, April up to that month, in place of the
// month's files, in the formats chosen beside it (CSV when none).

#include "report/report.h"
#include "saving/saving.h"

#include <QDir>
#include <QStringList>
#include <memory>

namespace velmora {

struct FileCalls;

// Whether `formats` (the -f values) ask for the year; "year" is then taken out of them.
bool takeYear(QStringList& formats);

// The year of `report` (built with `wholeYear`) saved into `folder`; the line told on success.
QString saveYearOf(const MonthReport& report, const QDir& folder, Formats formats,
                   std::shared_ptr<const FileCalls> calls);

} // namespace velmora
