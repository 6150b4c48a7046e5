#include "storage/names.h"

#include "storage/cp932.h"
#include "texts/texts.h"

namespace velmora {

bool isStorableName(const QString& name) {
    // A control character (a NUL, an escape) would reach whatever shows or reads the line.
    for (QChar c : name)
        if (c == u'"' || c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
    return cp932CanHold(name);
}

std::optional<QString> typedNameFault(const QString& name) {
    if (!isStorableName(name)) return texts::kUnstorableName;
    if (name.size() > kLongestTypedName) return texts::kNameTooLong.arg(kLongestTypedName);
    return std::nullopt;
}

} // namespace velmora
