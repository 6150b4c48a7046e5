#pragma once
// Files written together, whole or not at all: each is written into a folder of this run's
// own, made with a unique name inside the target folder, put on the disk and checked;
// commit() then renames them all over the old ones. A fault before it replaces nothing, and
// the folder goes with everything in it. Nothing is written through a link: the files are
// created anew in a new folder, and a rename replaces a link at the final name, not its
// target. Faults throw a Failure naming the file and the cause.

#include <QByteArray>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>

namespace velmora {

class OutputFiles {
public:
    explicit OutputFiles(const QDir& folder);

    // Writes the file under its final `name`, in this run's folder.
    void write(const QString& name, const QByteArray& bytes);
    // Where a writer that opens the file by its name writes it; add() it when written.
    QString writingPath(const QString& name) const;
    // A file written at writingPath(): put on the disk and checked.
    void add(const QString& name);
    // All the files in place; their final paths.
    QStringList commit();

private:
    QDir folder_;
    QTemporaryDir writing_;
    QStringList names_;
};

// Moves `from` over `to` in one step, replacing a file (or a link) at `to`.
bool replaceFile(const QString& from, const QString& to);

} // namespace velmora
