#include "programs/velmora-report/commandline.h"

#include "printing/sheets.h"
#include "programs/velmora-report/boardcommand.h"
#include "programs/velmora-report/closingcommand.h"
#include "programs/velmora-report/yearcommand.h"
#include "report/daysoff.h"
#include "report/report.h"
#include "saving/saving.h"
#include "storage/datafiles.h"
#include "storage/times.h"
#include "texts/texts.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <optional>

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
        {QStringLiteral("board"), texts::kBoardHelp},
    });
    addClosingOptions(parser);
}

// `lineOpen`: the progress line is left unfinished, and is ended first.
void say(const Console& console, const QString& message, bool lineOpen = false) {
    console.err((lineOpen ? QStringLiteral("\n") : QString()) +
                QStringLiteral("velmora-report: %1\n").arg(message));
}

// What the options ask for, read and checked before any file is.
struct Run {
    ReportRequest request;
    Formats formats;
    QDir outDir;
    std::optional<QString> daysOff; // read with the records: its faults end the run alike
    bool year = false;              // -f year: the school year's files in place of the month's
};

// The files named, or the terminal's own; those that hold no records left out, and said so.
QStringList chooseFiles(QStringList files, const Console& console) {
    if (files.isEmpty()) files << kRecordFile;
    QStringList notRecords;
    files = recordFiles(files, &notRecords);
    if (!notRecords.isEmpty())
        say(console, texts::kNotRecordFiles.arg(notRecords.join(QStringLiteral(", "))));
    return files;
}

// Fills `run` from the options; returns the fault of the first one refused, if any.
QString readOptions(const QCommandLineParser& parser, Run& run) {
    const auto value = [&](const char* name) { return parser.value(QString::fromLatin1(name)); };
    ReportRequest& request = run.request;
    if (parser.isSet(QStringLiteral("month"))) {
        const QDate first =
            QDate::fromString(value("month") + QStringLiteral("-01"), QStringLiteral("yyyy-MM-dd"));
        if (!first.isValid()) return texts::kBadMonth.arg(value("month"));
        request.month = first;
    }
    if (parser.isSet(QStringLiteral("last-year"))) {
        bool ok = false;
        const int year = value("last-year").toInt(&ok);
        if (!ok || year < 2000 || year > 2099) return texts::kBadLastYear.arg(value("last-year"));
        request.lastYear = year;
    }
    // Past 24:00 is its own message, below.
    request.rules.regularMinutes = parseTime(value("hours"), {.latest = 99 * 60 + 59}).value_or(-1);
    if (request.rules.regularMinutes < 0) return texts::kBadHours.arg(value("hours"));
    if (request.rules.regularMinutes > 24 * 60) return texts::kBadHoursRange.arg(value("hours"));
    bool breakOk = false;
    request.rules.breakMinutes = value("break").toInt(&breakOk);
    if (!breakOk || request.rules.breakMinutes < 0 || request.rules.breakMinutes > 360)
        return texts::kBadBreak.arg(value("break"));
    QStringList formats = parser.values(QStringLiteral("format"));
    run.year = request.wholeYear = takeYear(formats);
    for (const QString& f : formats) {
        bool* chosen = f == u"csv"    ? &run.formats.csv
                       : f == u"xlsx" ? &run.formats.xlsx
                       : f == u"pdf"  ? &run.formats.pdf
                                      : nullptr;
        if (!chosen) return texts::kBadFormat.arg(f);
        *chosen = true;
    }
    if (!run.formats.xlsx && !run.formats.pdf) run.formats.csv = true;
    run.outDir = QDir(value("out"));
    if (!run.outDir.exists()) return texts::kMissingFolder.arg(value("out"));
    if (parser.isSet(QStringLiteral("ledger"))) {
        // A folder named and not there is a mistake, not a school without its files.
        if (!QDir(value("ledger")).exists()) return texts::kMissingFolder.arg(value("ledger"));
        request.ledgerFolder = value("ledger");
    }
    if (parser.isSet(QStringLiteral("days-off"))) run.daysOff = value("days-off");
    return {};
}

// The month read, built and saved, its warnings told as they come; then the outcome.
int buildAndSave(Run& run, const Console& console, std::shared_ptr<const FileCalls> calls) {
    // The reading's progress on one line of a terminal, redrawn in place; a line left
    // unfinished by a fault is ended before its message.
    bool lineOpen = false;
    ProgressMeter progress([&](int percent) {
        console.err(
            QStringLiteral("\rvelmora-report: %1 %2%").arg(texts::kReadingFiles).arg(percent, 3));
        lineOpen = percent < 100;
        if (!lineOpen) console.err(QStringLiteral("\n"));
        return true;
    });
    // Progress only on a terminal: redirected, stderr keeps the messages alone.
    if (console.progress) run.request.progress = &progress;
    try {
        if (run.daysOff) run.request.rules.daysOff = readDaysOff(*run.daysOff);
        const MonthReport report = buildReport(run.request);
        for (const QString& warning : report.warnings) say(console, warning);
        for (const QString& note : report.chainNotes) say(console, note);
        for (const LedgerProblem& problem : report.ledger.problems) say(console, problem.text());
        tellChanges(report, console);
        const QString done =
            run.year ? saveYearOf(report, run.outDir, run.formats, std::move(calls))
                     : (saveReport(report, run.outDir, run.formats, pdfBytes, std::move(calls)),
                        texts::kReportDone.arg(report.month.toString(QStringLiteral("yyyy-MM")))
                            .arg(report.teachers.size()));
        if (report.skipped > 0) say(console, texts::kLinesSkipped.arg(report.skipped));
        console.out(done + u'\n');
    } catch (const Failure& failure) {
        say(console, failure.message(), lineOpen);
        return 2;
    }
    return 0;
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
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(arguments)) return say(console, parser.errorText()), 2;
    if (parser.isSet(QStringLiteral("help"))) return console.out(parser.helpText()), 0;
    if (parser.isSet(QStringLiteral("version"))) {
        console.out(QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                  QCoreApplication::applicationVersion()));
        return 0;
    }
    Run run;
    if (const QString fault = readOptions(parser, run); !fault.isNull())
        return say(console, fault), 2;
    if (parser.isSet(QStringLiteral("board")))
        return runBoard({parser.positionalArguments(), run.request, run.formats, run.outDir,
                         run.daysOff, run.year},
                        console, std::move(calls));
    run.request.files = chooseFiles(parser.positionalArguments(), console);
    if (isClosingCommand(parser))
        return runClosingCommand(
            parser,
            [&] {
                if (run.daysOff) run.request.rules.daysOff = readDaysOff(*run.daysOff);
                return buildReport(run.request);
            },
            console);
    return buildAndSave(run, console, std::move(calls));
}

} // namespace velmora
