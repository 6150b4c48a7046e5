// Velmora: the attendance time clock. Works in the folder it is started in.

#include "app/realservices.h"
#include "cardlibrary/sonyidmlibrary.h"
#include "shutdown/systemshutdown.h"
#include "terminal/terminal.h"
#include "windows/dialogprompts.h"
#include "windows/terminalwindow.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/assets/icon.png")));
    // Qt's own dialogs ("キャンセル") in Japanese, like the rest of the program.
    QTranslator qtJapanese;
    if (qtJapanese.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);

    velmora::SystemClock clock;
    velmora::DialogPrompts prompts;
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
