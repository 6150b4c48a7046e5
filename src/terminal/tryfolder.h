#pragma once
// A folder of its own to try the time clock in without a reader (velmora --try, make demo): a
// staff room's shared PC with two example cards registered and a virtual card reader, the
// file card.txt. A school's data folder never gets the example cards.

#include <QString>
#include <optional>

namespace velmora {

inline const QString kTryCardFile = QStringLiteral("card.txt");

struct ExampleCard {
    const char16_t* idm;
    const char16_t* name;
};
inline constexpr ExampleCard kExampleCards[] = {{u"0123456789ABCDEF", u"職員A"},
                                                {u"FEDCBA9876543210", u"職員B"}};

// Makes `folder` (when missing) ready to try in: the shared PC's empty owner, the example cards
// registered where they are not, and no card on the reader. Records and registrations already
// there stay. Refused, with the message, for a folder that holds other files and was not made
// so before: a school's data folder.
std::optional<QString> prepareTryFolder(const QString& folder);

} // namespace velmora
