#include "startup/shippedfont.h"

#include <QCoreApplication>
#include <QDir>
#include <QFontDatabase>

namespace velmora {

void loadShippedFont() {
#ifdef _WIN32
    QFontDatabase::addApplicationFont(
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("ipag.ttf")));
#endif
}

} // namespace velmora
