#pragma once

#include <QString>

namespace velmora {

// The files quote every field and have no escape, and they are CP932: a name holding a
// double quote, a line break or a character CP932 lacks cannot be stored faithfully.
bool isStorableName(const QString& name);

} // namespace velmora
