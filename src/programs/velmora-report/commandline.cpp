#include "programs/velmora-report/commandline.h"

#include "printing/sheets.h"
#include "report/daysoff.h"
#include "report/report.h"
#include "saving/saving.h"
#include "storage/datafiles.h"
#include "storage/times.h"
#include "texts/texts.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

namespace velmora {

namespace {

// Value names stay ASCII: the help's columns are aligned by characters, and a Japanese
// character takes two columns of a terminal.
void addOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(texts::kReportAbout);
    parser.addPositionalArgument(QStringLiteral("FILE"), texts::kFilesHelp,
                                 QStringLiteral("[FILE...]"));
    parser.addOptions({
        {{QStringLiteral("h"), QStringLiteral("help")}, texts::kHelpHelp},
        {{QStringLiteral("v"), QStringLiteral("version")}, texts::kVersionHelp},
        {{QStringLiteral("m"), QStringLiteral("month")},
         texts::kMonthHelp,
         QStringLiteral("YYYY-MM")},
        {{QStringLiteral("f"), QStringLiteral("format")},
         texts::kFormatHelp,
         QStringLiteral("FORMAT")},
        {{QStringLiteral("o"), QStringLiteral("out")},
         texts::kOutHelp,
         QStringLiteral("DIR"),
         QStringLiteral(".")},
        {QStringLiteral("last-year"), texts::kLastYearHelp, QStringLiteral("YYYY")},
        {QStringLiteral("hours"), texts::kHoursHelp, QStringLiteral("H:MM"),
         QStringLiteral("7:45")},
        {QStringLiteral("break"), texts::kBreakHelp, QStringLiteral("MINUTES"),
         QStringLiteral("45")},
        {QStringLiteral("days-off"), texts::kDaysOffHelp, QStringLiteral("FILE")},
        {QStringLiteral("ledger"), texts::kLedgerHelp, QStringLiteral("DIR")},
    });
}

} // namespace

bool needsPdf(const QStringList& arguments) {
    QCommandLineParser parser;
    addOptions(parser);
    (void)parser.parse(arguments); // its faults are runReport's to tell
    return parser.values(QStringLiteral("format")).contains(QStringLiteral("pdf"));
}

int runReport(const QStringList& arguments, const Console& console,
              std::shared_ptr<const FileCalls> calls) {
    // The reading's progress on one line of a terminal, redrawn in place; a line left
    // unfinished by a fault is ended before its message.
    bool lineOpen = false;
    const auto fail = [&](const QString& message) {
        console.err((lineOpen ? QStringLiteral("\n") : QString()) +
                    QStringLiteral("velmora-report: %1\n").arg(message));
        return 2;
    };
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(arguments)) return fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) return console.out(parser.helpText()), 0;
    if (parser.isSet(QStringLiteral("version"))) {
        console.out(QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                  QCoreApplication::applicationVersion()));
        return 0;
    }
    const auto value = [&](const char* name) { return parser.value(QString::fromLatin1(name)); };

    ReportRequest request;
    request.files = parser.positionalArguments();
    if (request.files.isEmpty()) request.files << kRecordFile;
    QStringList notRecords;
    request.files = recordFiles(request.files, &notRecords);
    if (!notRecords.isEmpty())
        console.err(QStringLiteral("velmora-report: %1\n")
                        .arg(texts::kNotRecordFiles.arg(notRecords.join(QStringLiteral(", ")))));
    if (parser.isSet(QStringLiteral("month"))) {
        const QDate first =
            QDate::fromString(value("month") + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd"));
        if (!first.isValid()) return fail(texts::kBadMonth.arg(value("month")));
        request.month = first;
    }
    if (parser.isSet(QStringLiteral("last-year"))) {
        bool ok = false;
        const int year = value("last-year").toInt(&ok);
        if (!ok || year < 2000 || year > 2099)
            return fail(texts::kBadLastYear.arg(value("last-year")));
        request.lastYear = year;
    }
    // Past 24:00 is its own message, below.
    request.rules.regularMinutes = parseTime(value("hours"), {.latest = 99 * 60 + 59}).value_or(-1);
    if (request.rules.regularMinutes < 0) return fail(texts::kBadHours.arg(value("hours")));
    if (request.rules.regularMinutes > 24 * 60)
        return fail(texts::kBadHoursRange.arg(value("hours")));
    bool breakOk = false;
    request.rules.breakMinutes = value("break").toInt(&breakOk);
    if (!breakOk || request.rules.breakMinutes < 0 || request.rules.breakMinutes > 360)
        return fail(texts::kBadBreak.arg(value("break")));
    Formats formats;
    for (const QString& f : parser.values(QStringLiteral("format"))) {
        bool* chosen = f == u"csv"    ? &formats.csv
                       : f == u"xlsx" ? &formats.xlsx
                       : f == u"pdf"  ? &formats.pdf
                                      : nullptr;
        if (!chosen) return fail(texts::kBadFormat.arg(f));
        *chosen = true;
    }
    if (!formats.xlsx && !formats.pdf) formats.csv = true;
    const QDir outDir(value("out"));
    if (!outDir.exists()) return fail(texts::kMissingFolder.arg(value("out")));
    if (parser.isSet(QStringLiteral("ledger"))) {
        // A folder named and not there is a mistake, not a school without its files.
        if (!QDir(value("ledger")).exists())
            return fail(texts::kMissingFolder.arg(value("ledger")));
        request.ledgerFolder = value("ledger");
    }

    ProgressMeter progress([&](int percent) {
        console.err(
            QStringLiteral("\rvelmora-report: %1 %2%").arg(texts::kReadingFiles).arg(percent, 3));
        lineOpen = percent < 100;
        if (!lineOpen) console.err(QStringLiteral("\n"));
        return true;
    });
    // Progress only on a terminal: redirected, stderr keeps the messages alone.
    if (console.progress) request.progress = &progress;
    try {
        if (parser.isSet(QStringLiteral("days-off")))
            request.rules.daysOff = readDaysOff(value("days-off"));
        const MonthReport report = buildReport(request);
        for (const QString& warning : report.warnings)
            console.err(QStringLiteral("velmora-report: %1\n").arg(warning));
        for (const LedgerProblem& problem : report.ledger.problems)
            console.err(QStringLiteral("velmora-report: %1\n").arg(problem.text()));
        saveReport(report, outDir, formats, pdfBytes, std::move(calls));
        if (report.skipped > 0)
            console.err(QStringLiteral("velmora-report: %1\n")
                            .arg(texts::kLinesSkipped.arg(report.skipped)));
        console.out(texts::kReportDone.arg(report.month.toString(QStringLiteral("yyyy-MM")))
                        .arg(report.teachers.size()) +
                    u'\n');
    } catch (const Failure& failure) {
        return fail(failure.message());
    }
    return 0;
}

} // namespace velmora
