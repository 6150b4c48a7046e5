// velmora-report: the month's time in school from the record files, as CSV, XLSX and PDF.
// Bad input gets one message on stderr and exit status 2, and no file is written. Started
// without arguments in a desktop session, it opens the window instead.

#include "console/console.h"
#include "logging/logfile.h"
#include "programs/velmora-report/commandline.h"
#include "reportwindow/reportwindow.h"
#include "startup/datafolder.h"
#include "startup/qtjapanese.h"
#include "startup/shippedfont.h"

#include <QApplication>
#include <memory>

using namespace velmora;

int main(int argc, char** argv) {
    if (argc == 1 && hasDesktop()) {
        QApplication app(argc, argv);
#ifdef _WIN32
        logAlsoTo(windowsLogPath());
#endif
        QApplication::setApplicationName(QStringLiteral("velmora-report"));
        loadQtJapanese();
        loadShippedFont();
        QtDialogs dialogs;
        ReportWindow window(dialogs);
        window.show();
        window.openStartFolders(installationDataFolder());
        return QApplication::exec();
    }
    // The PDF's fonts need a QGuiApplication, on no screen; the other files only Qt Core. The
    // formats are ASCII words, so the arguments as the system's 8 bits are enough to decide;
    // the files' names are read later from the application's arguments.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
    const bool pdf = needsPdf(arguments);
#ifndef _WIN32 // Windows' own platform needs no screen
    if (pdf && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
#endif
    const std::unique_ptr<QCoreApplication> app(pdf ? new QGuiApplication(argc, argv)
                                                    : new QCoreApplication(argc, argv));
    QCoreApplication::setApplicationName(QStringLiteral("velmora-report"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    loadQtJapanese();
    if (pdf) loadShippedFont();
#ifdef _WIN32
    logAlsoTo(windowsLogPath());
#endif
    return runReport(QCoreApplication::arguments(), openConsole());
}
