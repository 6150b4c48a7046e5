#include "logging/noise.h"

#include <array>

namespace velmora {

namespace {

struct Noise {
    QStringView category;
    QStringView start; // the message's beginning
};

// The one list. qErrnoWarning() writes these at the critical level, in no category.
constexpr std::array kNoise{
    // Per window under Wine: its DPI awareness has no non-client scaling.
    Noise{u"default", u"EnableNonClientDpiScaling() failed"},
    // The window icon's conversion under Wine; the icon shows all the same.
    Noise{u"default", u"QPixmap::fromWinHICON()"},
};

} // namespace

bool isPlatformNoise(QStringView category, QStringView message) {
    for (const Noise& noise : kNoise)
        if (category == noise.category && message.startsWith(noise.start)) return true;
    return false;
}

} // namespace velmora
