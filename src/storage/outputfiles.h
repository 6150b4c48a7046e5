#pragma once
// Files written together, whole or not at all. Each is written into a folder of this run's
// own, made with a unique name inside the target folder, put on the disk and checked.
// commit() then, holding a lock on the target folder so that two runs never mix their files,
// checks that every final name can be replaced, moves the old files aside, moves the new ones
// in and puts the folder on the disk; a fault at any step puts the old ones back, so the
// folder holds the whole old set or the whole new one. Nothing is written through a link: the
// files are created anew in a new folder, and a rename replaces a link at the final name, not
// its target. Faults throw a Failure naming the file and the cause.

#include <QByteArray>
#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <chrono>
#include <memory>

namespace velmora {

struct FileCalls;

class OutputFiles {
public:
    // The writes, syncs and renames go through `calls`, the system's own when none are given. A
    // commit waits up to `wait` for another run's commit into the same folder.
    explicit OutputFiles(const QDir& folder, std::shared_ptr<const FileCalls> calls = nullptr,
                         std::chrono::milliseconds wait = std::chrono::seconds(10));

    // Writes the file under its final `name`, in this run's folder.
    void write(const QString& name, const QByteArray& bytes);
    // Where a writer that opens the file by its name writes it; add() it when written.
    QString writingPath(const QString& name) const;
    // A file written at writingPath(): put on the disk and checked.
    void add(const QString& name);
    // All the files in place; their final paths.
    QStringList commit();

    // The file in the target folder a commit holds locked.
    static const QString kLockName;

private:
    void check(const QString& name);
    void checkReplaceable(const QString& name) const;
    bool move(const QString& from, const QString& to) const;
    void putBack(const QStringList& aside, const QStringList& movedIn);

    QDir folder_;
    std::shared_ptr<const FileCalls> calls_;
    std::chrono::milliseconds wait_;
    QTemporaryDir writing_;
    QStringList names_;
};

} // namespace velmora
