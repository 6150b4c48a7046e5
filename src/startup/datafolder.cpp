#include "startup/datafolder.h"

#include <QDir>
#include <QSettings>

namespace velmora {

QString installationDataFolder() {
#ifdef _WIN32
    const QSettings installed(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Velmora"),
                              QSettings::Registry64Format);
    return QDir::fromNativeSeparators(installed.value(QStringLiteral("DataFolder")).toString());
#else
    return QDir::home().filePath(QStringLiteral("Velmora"));
#endif
}

} // namespace velmora
