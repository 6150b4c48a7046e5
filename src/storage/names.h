#pragma once

#include <QString>
#include <optional>

namespace velmora {

// The files quote every field and have no escape, and they are CP932: a name holding a
// double quote, a line break or a character CP932 lacks cannot be stored faithfully, and
// one with any other control character is not stored either.
bool isStorableName(const QString& name);

// A longer name is refused where it is typed: a record line then stays far below a memory
// page, which the system never writes in pieces, even when the program is killed.
inline constexpr qsizetype kLongestTypedName = 64;

// Why a typed name cannot be taken (a message), or nullopt.
std::optional<QString> typedNameFault(const QString& name);

} // namespace velmora
