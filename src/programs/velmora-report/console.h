#pragma once
// Standard output and error of the report program. On Windows it is a program of the desktop
// (no console window of its own beside its window); started from a console with arguments it
// writes there, in UTF-16 so that any code page shows the Japanese, and to a file or pipe in
// UTF-8, as on Linux.

#include "programs/velmora-report/commandline.h"

namespace velmora {

// Attaches to the console of the program that started this one, if any (Windows), and gives
// the two streams.
Console openConsole();

} // namespace velmora
