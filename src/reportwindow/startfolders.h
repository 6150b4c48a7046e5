#pragma once
// The folders the report's window opens with: those of the record files of its last run, or
// else the installation's data folder, where the time clock of the same install writes.

#include <QStringList>

namespace velmora {

// The remembered folders still there; none left, the data folder when it is there.
QStringList foldersAtStart(const QStringList& remembered, const QString& dataFolder);

// The record files of a folder: its .dat files but 申告.dat and the card registry.
QStringList recordFilesIn(const QString& folder);

} // namespace velmora
