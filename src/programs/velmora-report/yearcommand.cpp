#include "programs/velmora-report/yearcommand.h"

#include "printing/yearsheets.h"
#include "report/year.h"
#include "saving/yearoutput.h"
#include "texts/texts.h"

namespace velmora {

bool takeYear(QStringList& formats) { return formats.removeAll(QStringLiteral("year")) > 0; }

QString saveYearOf(const MonthReport& report, const QDir& folder, Formats formats,
                   std::shared_ptr<const FileCalls> calls) {
    const SchoolYear school{QString(), yearReport(report)};
    saveYear(school, folder, formats, yearPdfBytes, std::move(calls));
    return texts::kYearDone.arg(school.year.year)
        .arg(report.month.toString(QStringLiteral("yyyy-MM")))
        .arg(school.year.teachers.size());
}

} // namespace velmora
