// velmora-report: the month's time in school from the record files, as CSV, XLSX and PDF.
// Bad input gets one message on stderr and exit status 2, and no file is written. Started
// without arguments in a desktop session, it opens the window instead.

#include "common/datafiles.h"
#include "report/output.h"
#include "report/report.h"
#include "report/sheets.h"
#include "reportwindow/reportwindow.h"

#include <QApplication>

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <cstdio>
#include <memory>

using namespace velmora;

namespace {

int fail(const QString& message) {
    std::fprintf(stderr, "velmora-report: %s\n", qPrintable(message));
    return 2;
}

QSet<QDate> readDaysOff(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw Failure(QStringLiteral("%1: cannot read: %2").arg(path, file.errorString()));
    QSet<QDate> days;
    int number = 0;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        ++number;
        if (line.isEmpty() || line.startsWith(u'#')) continue;
        const QDate day = QDate::fromString(line, QStringLiteral("yyyy-MM-dd"));
        if (!day.isValid())
            throw Failure(QStringLiteral("%1:%2: not a date (YYYY-MM-DD): %3")
                              .arg(path)
                              .arg(number)
                              .arg(line));
        days.insert(day);
    }
    return days;
}

// Minutes from "H:MM"; -1 when it is not that.
int parseHours(const QString& text) {
    static const QRegularExpression pattern(QStringLiteral("^(\\d{1,2}):([0-5]\\d)$"));
    const auto match = pattern.match(text);
    return match.hasMatch() ? match.captured(1).toInt() * 60 + match.captured(2).toInt() : -1;
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    const bool desktop = true; // Windows always has one
#else
    const bool desktop =
        qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
#endif
    if (argc == 1 && desktop) {
        QApplication app(argc, argv);
        QApplication::setApplicationName(QStringLiteral("velmora-report"));
        ReportWindow window;
        window.show();
        return QApplication::exec();
    }
    // The PDF's fonts need a QGuiApplication, on no screen; the other files only Qt Core.
    const bool pdf = std::any_of(argv + 1, argv + argc,
                                 [](const char* a) { return QByteArray(a).endsWith("pdf"); });
#ifndef _WIN32 // Windows' own platform needs no screen, and has the fonts
    if (pdf && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    const std::unique_ptr<QCoreApplication> app(pdf ? new QGuiApplication(argc, argv)
                                                    : new QCoreApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("velmora-report"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("The month's time in school and beyond regular hours of every teacher, "
                       "from the time clock's record files."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("Record files (default ./Velmora.dat)."),
                                 QStringLiteral("[FILE...]"));
    const QCommandLineOption month({QStringLiteral("m"), QStringLiteral("month")},
                                   QStringLiteral("The month to report (default: the month of "
                                                  "the newest record)."),
                                   QStringLiteral("YYYY-MM"));
    const QCommandLineOption format({QStringLiteral("f"), QStringLiteral("format")},
                                    QStringLiteral("csv, xlsx or pdf; may be given more than "
                                                   "once (default csv)."),
                                    QStringLiteral("FORMAT"));
    const QCommandLineOption out({QStringLiteral("o"), QStringLiteral("out")},
                                 QStringLiteral("Folder for the reports (default: the current "
                                                "folder)."),
                                 QStringLiteral("DIR"), QStringLiteral("."));
    const QCommandLineOption lastYear(QStringLiteral("last-year"),
                                      QStringLiteral("The year of each file's last record "
                                                     "(default: the year of the file's "
                                                     "modification time)."),
                                      QStringLiteral("YYYY"));
    const QCommandLineOption hours(QStringLiteral("hours"),
                                   QStringLiteral("Regular working hours a day (default 7:45)."),
                                   QStringLiteral("H:MM"), QStringLiteral("7:45"));
    const QCommandLineOption breakTime(QStringLiteral("break"),
                                       QStringLiteral("The break taken out of a day longer than "
                                                      "6 hours (default 45)."),
                                       QStringLiteral("MINUTES"), QStringLiteral("45"));
    const QCommandLineOption daysOff(QStringLiteral("days-off"),
                                     QStringLiteral("Extra days without regular hours (school "
                                                    "closure days), one YYYY-MM-DD a line."),
                                     QStringLiteral("FILE"));
    parser.addOptions({month, format, out, lastYear, hours, breakTime, daysOff});
    if (!parser.parse(QCoreApplication::arguments())) return fail(parser.errorText());
    if (parser.isSet(QStringLiteral("help"))) parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version"))) parser.showVersion();

    ReportRequest request;
    request.files = parser.positionalArguments();
    if (request.files.isEmpty()) request.files << kRecordFile;
    if (parser.isSet(month)) {
        const QDate first = QDate::fromString(parser.value(month) + QStringLiteral("-01"),
                                              QStringLiteral("yyyy-MM-dd"));
        if (!first.isValid())
            return fail(QStringLiteral("--month %1: not YYYY-MM").arg(parser.value(month)));
        request.month = first;
    }
    if (parser.isSet(lastYear)) {
        bool ok = false;
        const int year = parser.value(lastYear).toInt(&ok);
        if (!ok || year < 2000 || year > 2099)
            return fail(QStringLiteral("--last-year %1: not a year from 2000 to 2099")
                            .arg(parser.value(lastYear)));
        request.lastYear = year;
    }
    request.rules.regularMinutes = parseHours(parser.value(hours));
    if (request.rules.regularMinutes < 0)
        return fail(QStringLiteral("--hours %1: not H:MM").arg(parser.value(hours)));
    bool breakOk = false;
    request.rules.breakMinutes = parser.value(breakTime).toInt(&breakOk);
    if (!breakOk || request.rules.breakMinutes < 0 || request.rules.breakMinutes > 360)
        return fail(
            QStringLiteral("--break %1: not minutes from 0 to 360").arg(parser.value(breakTime)));
    Formats formats;
    for (const QString& f : parser.values(format)) {
        if (f == QStringLiteral("csv"))
            formats.csv = true;
        else if (f == QStringLiteral("xlsx"))
            formats.xlsx = true;
        else if (f == QStringLiteral("pdf"))
            formats.pdf = true;
        else
            return fail(QStringLiteral("--format %1: csv, xlsx or pdf").arg(f));
    }
    if (!formats.xlsx && !formats.pdf) formats.csv = true;
    const QDir outDir(parser.value(out));
    if (!outDir.exists()) return fail(QStringLiteral("%1: no such folder").arg(parser.value(out)));

    try {
        if (parser.isSet(daysOff)) request.rules.daysOff = readDaysOff(parser.value(daysOff));
        const MonthReport report = buildReport(request);
        saveReport(report, outDir, formats);
        if (report.skipped > 0)
            std::fprintf(stderr, "velmora-report: %d lines without a readable record skipped\n",
                         report.skipped);
        std::printf("%s: %lld teachers\n",
                    qPrintable(report.month.toString(QStringLiteral("yyyy-MM"))),
                    static_cast<long long>(report.teachers.size()));
    } catch (const Failure& failure) {
        return fail(failure.message());
    }
    return 0;
}
