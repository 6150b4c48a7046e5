#include "startup/datafolder.h"

#include <QDir>
#include <QSettings>

namespace velmora {

QString installationDataFolder() {
#ifdef _WIN32
    const QSettings installed(QStringLiteral("HKEY_LOCAL_MACHINE\\Software\\Velmora"),
                              QSettings::Registry64Format);
    const QString chosen = installed.value(QStringLiteral("DataFolder")).toString();
    if (!chosen.isEmpty()) return QDir::fromNativeSeparators(chosen);
#endif
    return QDir::home().filePath(QStringLiteral("Velmora"));
}

} // namespace velmora
