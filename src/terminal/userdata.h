#pragma once
// The user-data file holds one line: the owner's name, or nothing on a shared PC.

#include "storage/datafiles.h"

#include <QString>
#include <optional>

namespace velmora {

// The first field of the first line; nullopt when the file is missing or has no line.
std::optional<QString> readOwnerName(const DataFolder& files);

// Reads the owner's name of a file that start-up has made sure of; a missing one is a fault.
QString ownerName(const DataFolder& files);

void writeOwnerName(const DataFolder& files, const QString& name);

} // namespace velmora
