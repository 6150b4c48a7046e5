#pragma once
// The card lying on the reader, as the terminal's checks see it. A card that has served rests
// there and records nothing more until it is taken away, and only the reader's "no card" on two
// checks in a row, in two different seconds, tells that: a check that fails (no service, no
// reader, an error or a late answer) leaves it where it was. Otherwise a card forgotten on the
// reader records again after any one failed read.

#include "cards/cards.h"

#include <QString>

namespace velmora {

class CardOnReader {
public:
    // One check, at the clock's "H:MM:SS": the IDm of a card that has not served yet, "" for
    // none, for a resting card and for a failed check.
    QString fresh(const CardCheck& check, const QString& clockText);
    // The card now on the reader has served: it rests until taken away.
    void served(const QString& idm);
    // The last check found no reader or no PC/SC service.
    bool readerMissing() const { return readerMissing_; }

private:
    QString resting_;
    int noCardChecks_ = 0; // in a row
    QString lastNoCard_;   // the clock's second of the last one counted
    bool readerMissing_ = false;
};

} // namespace velmora
