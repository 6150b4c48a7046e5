#include "common/names.h"

#include "common/cp932.h"
#include "common/texts.h"

namespace velmora {

bool isStorableName(const QString& name) {
    for (QChar c : name)
        if (c == u'"' || c == u'\r' || c == u'\n') return false;
    return cp932CanHold(name);
}

std::optional<QString> typedNameFault(const QString& name) {
    if (!isStorableName(name)) return texts::kUnstorableName;
    if (name.size() > kLongestTypedName) return texts::kNameTooLong;
    return std::nullopt;
}

} // namespace velmora
