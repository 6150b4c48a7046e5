#pragma once

namespace velmora {

// The IPA Gothic font shipped beside the Windows programs (ipag.ttf), so that their sheets and
// PDFs are set in the same font as on Linux, whether or not the PC has it. Once per program,
// after its QGuiApplication is made; nothing on Linux, where the package depends on the font.
void loadShippedFont();

} // namespace velmora
