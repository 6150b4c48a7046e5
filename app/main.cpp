// Velmora: the attendance time clock. Works in the folder it is started in.

#include "cardlibrary.h"
#include "form1.h"
#include "operations.h"
#include "realservices.h"
#include "shutdown.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velmora"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/assets/icon.png")));

    velmora::SystemClock clock;
    velmora::DialogPrompts prompts;
    velmora::SystemBeeper beeper;
    velmora::SonyIdmLibrary cardLibrary;
    auto shutdown = velmora::makeSystemShutdown();
    velmora::ImmediateEnd programEnd;
    velmora::Services services{clock,     prompts,    beeper,
                               cardLibrary, *shutdown, programEnd,
                               velmora::DataFolder(QDir::current())};

    velmora::Form1 form(services);
    velmora::TerminalOperations operations(form);
    form.setOperations(&operations);
    if (!form.Form_Load()) return 1;
    form.show();
    return QApplication::exec();
}
