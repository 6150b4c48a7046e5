#include "startup/qtjapanese.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace velmora {

void loadQtJapanese() {
    static QTranslator qtJapanese;
    // Inside the program on Windows; beside Qt (Debian's qt6-translations-l10n) on Linux.
    if (qtJapanese.load(QStringLiteral(":/translations/qtbase_ja.qm")) ||
        qtJapanese.load(QLocale(QLocale::Japanese), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtJapanese);
}

bool hasDesktop() {
#ifdef _WIN32
    return true;
#else
    return qEnvironmentVariableIsSet("DISPLAY") || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
#endif
}

} // namespace velmora
