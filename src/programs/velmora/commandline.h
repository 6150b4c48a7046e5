#pragma once
// The time clock's command line, and the working folder of a start from the desktop's menu.

#include "seams/seams.h"

namespace velmora {

struct StartOptions {
    bool fromMenu = false; // --menu: work in menuFolder() rather than the current folder
    QString tryFolder;     // --try FOLDER: work there, with the example cards and card.txt
};

// Reads the arguments before any window system is reached, so that --help and --version
// print without a display. --help, --version and a bad argument end the program here.
StartOptions readCommandLine(int argc, char* argv[]);

// ~/Velmora: made when missing and made the working folder. False, with the fault logged
// and shown, when it cannot be.
bool enterMenuFolder(Prompts& prompts);

// Prepares the try folder (terminal/tryfolder.h), makes it the working folder and its card.txt
// the virtual card reader. False, with the fault logged and shown, when it cannot be.
bool enterTryFolder(const QString& folder, Prompts& prompts);

} // namespace velmora
