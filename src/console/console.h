#pragma once
// Standard output and error of both programs. On Windows they are programs of the desktop (no
// console window of their own beside their windows); started from a console they write there,
// in UTF-16 so that any code page shows the Japanese, and to a file or pipe in UTF-8, as on
// Linux. Started from Explorer they have neither.

#include <QString>
#include <functional>

namespace velmora {

// Where the command's words go, as they are (line ends included).
struct Console {
    std::function<void(const QString&)> out, err;
    bool progress = false; // err is a terminal: the reading's progress is shown on it
    bool reached = true;   // out or err goes somewhere (on Windows, not from Explorer)
};

// Attaches to the console of the program that started this one, if any (Windows), and gives
// the two streams.
Console openConsole();

// A message box of `title` for a program that has no console (Windows).
void showInBox(const QString& title, const QString& text);

} // namespace velmora
