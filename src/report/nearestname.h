#pragma once
// A name typed by the office against the names the terminals wrote: the same person is often
// written a little otherwise (佐藤健 / 佐藤　健, a full-width letter, one character off), and
// such a name would make a teacher of its own, with no records.

#include <QString>
#include <QStringList>
#include <optional>

namespace velmora {

// The name as compared: without spaces of either width, in one width (NFKC).
QString nameKey(const QString& name);

// The one of `names` nearest to `name` when `name` is not among them: one equal to it apart
// from spaces and width, else the fewest characters off, at most one in three (one for a
// short name); the first in `names` on a tie. nullopt when `name` is there or none is near.
std::optional<QString> nearestName(const QString& name, const QStringList& names);

} // namespace velmora
