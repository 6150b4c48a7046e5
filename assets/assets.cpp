#include "assets/assets.h"

namespace velmora::assets {

QString backgroundPath() { return QStringLiteral(":/assets/background.png"); }

QString iconPath() { return QStringLiteral(":/assets/icon.png"); }

} // namespace velmora::assets
