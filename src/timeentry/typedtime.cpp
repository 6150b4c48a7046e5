#include "timeentry/typedtime.h"

#include "storage/times.h"

namespace velmora {

std::optional<QString> typedTime(const QString& text) {
    const auto minutes = parseTime(text, {.wide = true});
    if (!minutes) return std::nullopt;
    // The hour as typed, "07:30" or "7:30": the text is exactly H:MM or HH:MM.
    return timeText(*minutes, int(text.size()) - 3);
}

} // namespace velmora
