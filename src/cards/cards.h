#pragma once
// Cards and their owners: reading the IDm, the card registry "利用者Felica.dat" (one quoted
// IDm and name a line, appended only) and registering a card.

#include "seams/seams.h"

#include <QString>
#include <optional>

namespace velmora {

// The IDm text: the first 16 characters of the reader library's 1024-byte buffer, NULs
// included; "" when none was read.
QString readIdm(CardLibrary& library);

// One check of the reader: a card's IDm (the first 16 characters), no card, or a failed check
// that tells nothing about the card (an error, a late answer, no reader or PC/SC service).
struct CardCheck {
    enum Outcome { Card, NoCard, Failed, NoReader } outcome;
    QString idm;
};
CardCheck checkCard(CardLibrary& library);

// The name registered for an IDm: the last matching registration wins; "" when none.
// Incomplete registrations (a line with fewer than two fields) are skipped, and so is a
// name no record could hold.
QString registeredName(BackwardLineReader& registry, const QString& idm);
// The same from the file; a missing registry is a fault.
QString registeredName(const DataFolder& files, const QString& idm);

// The registry lookup of the card dispatch, which runs on every clock tick while an
// unregistered card rests on the reader: the last answer is kept while the registry's size
// and time of change stay, so that a big registry is not read again and again.
class RegistryLookup {
public:
    QString registeredName(const DataFolder& files, const QString& idm);

private:
    FileStamp stamp_;
    QString idm_;
    QString name_;
};

// Binds a card to a name; the message that refuses it, or nullopt once it is written.
std::optional<QString> registerCard(const DataFolder& files, const QString& name,
                                    const QString& idm);

} // namespace velmora
