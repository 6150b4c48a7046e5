// velmora-report: the month's time in school from the record files, as CSV, XLSX and PDF.
// Bad input gets one message on stderr and exit status 2, and no file is written. Started
// without arguments in a desktop session, it opens the window instead.

#include "common/datafiles.h"
#include "common/qtjapanese.h"
#include "common/texts.h"
#include "report/daysoff.h"
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
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

using namespace velmora;

namespace {

bool stderrIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stderr));
#else
    return isatty(fileno(stderr));
#endif
}

// The reading's progress on one line of a terminal's stderr, redrawn in place; a line left
// unfinished by a fault is ended before its message.
bool progressLineOpen = false;

bool showProgress(int percent) {
    std::fprintf(stderr, "\rvelmora-report: %s %3d%%", qPrintable(texts::kReadingFiles), percent);
    progressLineOpen = percent < 100;
    if (!progressLineOpen) std::fputc('\n', stderr);
    return true;
}

int fail(const QString& message) {
    if (progressLineOpen) std::fputc('\n', stderr);
    std::fprintf(stderr, "velmora-report: %s\n", qPrintable(message));
    return 2;
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
        loadQtJapanese();
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
    loadQtJapanese();

    // Value names stay ASCII: the help's columns are aligned by characters, and a Japanese
    // character takes two columns of a terminal.
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("タイムレコーダーの記録ファイルから、教職員ごとの月の在校等時間と時間外を"
                       "集計します。\n引数なしでデスクトップから起動すると、集計のウィンドウを"
                       "開きます。"));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("この説明を表示します。"));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("バージョンを表示します。"));
    parser.addPositionalArgument(QStringLiteral("FILE"),
                                 QStringLiteral("記録ファイル（省略時: ./Velmora.dat）"),
                                 QStringLiteral("[FILE...]"));
    const QCommandLineOption month({QStringLiteral("m"), QStringLiteral("month")},
                                   QStringLiteral("集計する月（省略時: 最新の記録の月）"),
                                   QStringLiteral("YYYY-MM"));
    const QCommandLineOption format({QStringLiteral("f"), QStringLiteral("format")},
                                    QStringLiteral("csv、xlsx、pdf（複数可、省略時: csv）"),
                                    QStringLiteral("FORMAT"));
    const QCommandLineOption out({QStringLiteral("o"), QStringLiteral("out")},
                                 QStringLiteral("書き出すフォルダ（省略時: 現在のフォルダ）"),
                                 QStringLiteral("DIR"), QStringLiteral("."));
    const QCommandLineOption lastYear(QStringLiteral("last-year"),
                                      QStringLiteral("各ファイルの最後の記録の年（省略時: "
                                                     "ファイルの更新日時の年）"),
                                      QStringLiteral("YYYY"));
    const QCommandLineOption hours(QStringLiteral("hours"),
                                   QStringLiteral("1日の所定の勤務時間（省略時: 7:45）"),
                                   QStringLiteral("H:MM"), QStringLiteral("7:45"));
    const QCommandLineOption breakTime(QStringLiteral("break"),
                                       QStringLiteral("6時間を超える日に除く休憩の分数（省略時: "
                                                      "45）"),
                                       QStringLiteral("MINUTES"), QStringLiteral("45"));
    const QCommandLineOption daysOff(QStringLiteral("days-off"),
                                     QStringLiteral("休業日のファイル（1行に1日、YYYY-MM-DD）"),
                                     QStringLiteral("FILE"));
    parser.addOptions({help, version, month, format, out, lastYear, hours, breakTime, daysOff});
    if (!parser.parse(QCoreApplication::arguments())) return fail(parser.errorText());
    if (parser.isSet(help)) parser.showHelp(0);
    if (parser.isSet(version)) parser.showVersion();

    ReportRequest request;
    request.files = parser.positionalArguments();
    if (request.files.isEmpty()) request.files << kRecordFile;
    if (parser.isSet(month)) {
        const QDate first = QDate::fromString(parser.value(month) + QStringLiteral("-01"),
                                              QStringLiteral("yyyy-MM-dd"));
        if (!first.isValid())
            return fail(QStringLiteral("--month %1: 年月 (YYYY-MM) ではありません")
                            .arg(parser.value(month)));
        request.month = first;
    }
    if (parser.isSet(lastYear)) {
        bool ok = false;
        const int year = parser.value(lastYear).toInt(&ok);
        if (!ok || year < 2000 || year > 2099)
            return fail(QStringLiteral("--last-year %1: 2000〜2099 の年ではありません")
                            .arg(parser.value(lastYear)));
        request.lastYear = year;
    }
    request.rules.regularMinutes = parseHours(parser.value(hours));
    if (request.rules.regularMinutes < 0)
        return fail(
            QStringLiteral("--hours %1: 時間 (H:MM) ではありません").arg(parser.value(hours)));
    bool breakOk = false;
    request.rules.breakMinutes = parser.value(breakTime).toInt(&breakOk);
    if (!breakOk || request.rules.breakMinutes < 0 || request.rules.breakMinutes > 360)
        return fail(
            QStringLiteral("--break %1: 0〜360 の分数ではありません").arg(parser.value(breakTime)));
    Formats formats;
    for (const QString& f : parser.values(format)) {
        if (f == QStringLiteral("csv"))
            formats.csv = true;
        else if (f == QStringLiteral("xlsx"))
            formats.xlsx = true;
        else if (f == QStringLiteral("pdf"))
            formats.pdf = true;
        else
            return fail(
                QStringLiteral("--format %1: csv、xlsx、pdf のどれかを指定してください").arg(f));
    }
    if (!formats.xlsx && !formats.pdf) formats.csv = true;
    const QDir outDir(parser.value(out));
    if (!outDir.exists())
        return fail(QStringLiteral("フォルダが見つかりません \"%1\"").arg(parser.value(out)));

    // Progress only on a terminal: redirected, stderr keeps the messages alone.
    ProgressMeter progress(showProgress);
    if (stderrIsTerminal()) request.progress = &progress;
    try {
        if (parser.isSet(daysOff)) request.rules.daysOff = readDaysOff(parser.value(daysOff));
        const MonthReport report = buildReport(request);
        for (const QString& warning : report.warnings)
            std::fprintf(stderr, "velmora-report: %s\n", qPrintable(warning));
        saveReport(report, outDir, formats);
        if (report.skipped > 0)
            std::fprintf(stderr, "velmora-report: 記録として読めない %d 行を除きました\n",
                         report.skipped);
        std::printf("%s: 教職員 %lld名\n",
                    qPrintable(report.month.toString(QStringLiteral("yyyy-MM"))),
                    static_cast<long long>(report.teachers.size()));
    } catch (const Failure& failure) {
        return fail(failure.message());
    }
    return 0;
}
