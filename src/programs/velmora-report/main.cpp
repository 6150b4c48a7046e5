// velmora-report: the month's time in school from the record files, as CSV, XLSX and PDF.
// Bad input gets one message on stderr and exit status 2, and no file is written. Started
// without arguments in a desktop session, it opens the window instead.

#include "programs/velmora-report/commandline.h"
#include "reportwindow/reportwindow.h"
#include "startup/qtjapanese.h"

#include <QApplication>
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
    const auto print = [](FILE* stream) {
        return [stream](const QString& text) {
            std::fputs(qPrintable(text), stream);
            std::fflush(stream);
        };
    };
    return runReport(QCoreApplication::arguments(),
                     {print(stdout), print(stderr), stderrIsTerminal()});
}
