#pragma once
// Qt's messages about the platform that tell whoever reads the log nothing they can act on
// (calls Wine or an older Windows lacks, icons it cannot convert). They are dropped before the
// log; every other message keeps its level.

#include <QStringView>

namespace velmora {

// Whether the message of `category` is one of the platform's noise.
bool isPlatformNoise(QStringView category, QStringView message);

} // namespace velmora
