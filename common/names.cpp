#include "common/names.h"

#include "common/cp932.h"

namespace velmora {

bool isStorableName(const QString& name) {
    for (QChar c : name)
        if (c == u'"' || c == u'\r' || c == u'\n') return false;
    return cp932CanHold(name);
}

} // namespace velmora
