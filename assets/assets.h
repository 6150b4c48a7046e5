// The embedded pictures of velmora_assets, by their resource paths.
#pragma once

#include <QString>

namespace velmora::assets {

// ":/assets/background.png", 320 x 320: the face of the time recorder,
// drawn behind the main window's controls.
QString backgroundPath();

// ":/assets/icon.png", 256 x 256: the window and application icon.
QString iconPath();

} // namespace velmora::assets
