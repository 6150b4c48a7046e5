#pragma once
// Cards and users: reading the IDm, the card registry, the name prompt and the settings.

#include "seams.h"

#include <QString>
#include <string_view>

namespace velmora {

class Form1;

// One read of the card reader library: the whole 1024-byte buffer as text (NULs included)
// on success, "" when the library reports no card.
QString ReadCardIdm(CardLibrary& library);

// The IDm text: the first 16 characters of a read; "" means no card.
QString readIdm(CardLibrary& library);

// The name the registry gives an IDm: the last matching registration wins; "" when none.
// Incomplete registrations (a line with fewer than two fields) are skipped.
QString registeredName(std::string_view registry, const QString& idm);

// The terminal's lookup: the name registered for `idm` (beeps once and clears the status
// line when there is one), or "".
QString Felica(Form1& form, const QString& idm);
// The same for the card now on the reader.
QString Felica(Form1& form);

// Asks who the user is, by card or typed name; leaves the answer in 名前.
void AskName(Form1& form);

// The settings button: the registration window, with the terminal's timers stopped.
void OpenSettings(Form1& form);

} // namespace velmora
