// Velmora: the attendance time clock. Works in the folder it is started in, or in ~/Velmora
// when started from the desktop's menu (--menu).

#include "cardreader/sonyidmlibrary.h"
#include "logging/logfile.h"
#include "poweroff/systemshutdown.h"
#include "programs/velmora/commandline.h"
#include "programs/velmora/realservices.h"
#include "startup/qtjapanese.h"
#include "startup/shippedfont.h"
#include "terminal/terminal.h"
#include "terminalwidgets/dialogprompts.h"
#include "terminalwidgets/terminalwindow.h"
#include "texts/texts.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

int main(int argc, char* argv[]) {
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
    const velmora::StartOptions options = velmora::readCommandLine(argc, argv);
    if (!velmora::hasDesktop() && !qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "velmora: %s\n", qPrintable(velmora::texts::kNoDesktop));
        return 2;
    }
    QApplication app(argc, argv);
#ifdef _WIN32
    velmora::logAlsoTo(velmora::windowsLogPath());
#endif
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/assets/icon.png")));
    // Qt's own dialogs ("キャンセル") in Japanese, like the rest of the program.
    velmora::loadQtJapanese();
    velmora::loadShippedFont();

    velmora::SystemClock clock;
    velmora::DialogPrompts prompts;
    if (options.fromMenu && !velmora::enterMenuFolder(prompts)) return 1;
    if (!options.tryFolder.isEmpty() && !velmora::enterTryFolder(options.tryFolder, prompts))
        return 1;
    velmora::SystemBeeper beeper;
    velmora::SonyIdmLibrary cardLibrary;
    auto shutdown = velmora::makeSystemShutdown();
    velmora::ImmediateEnd programEnd;
    velmora::Services services{clock,
                               prompts,
                               beeper,
                               cardLibrary,
                               *shutdown,
                               programEnd,
                               velmora::DataFolder(QDir::current())};

    velmora::TerminalWindow window;
    velmora::Terminal terminal(services, window);
    window.attach(terminal);
    if (!terminal.start()) return 1;
    window.show();
    return QApplication::exec();
}
