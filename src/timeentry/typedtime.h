#pragma once
// The time box's rule: what a typed text is as the time of a record.

#include <QString>
#include <optional>

namespace velmora {

// The time in `text` as a record holds it, H:MM (or HH:MM) from 0:00 to 24:00; nothing for
// any other text. Full-width digits and colon, as an input method types them, are read as
// half-width.
std::optional<QString> typedTime(const QString& text);

} // namespace velmora
