#pragma once
// The report's side of the chain: a record file held against the chain written with it.

#include "storage/filecalls.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace velmora {

struct ChainFinding {
    enum class Kind {
        Intact,
        NoChain,   // a terminal that kept none
        Changed,   // `line` differs from what was written there
        Inserted,  // `line` was not written by the terminal
        Removed,   // the line written before `line` is gone
        Truncated, // the file ends before `line`, which was written
        Unchained, // `line` and those after it are not in the chain yet
        BadChain,  // the chain's own `line` is no link
        Unchecked, // a fault, named in `reason`
    };
    Kind kind = Kind::Intact;
    qint64 line = 0; // from 1
    QString reason{};
};

// The first place where the record file at `path` and its chain part; a record file that is
// missing or cannot be read is Intact here, since the report names it itself. Both files are read
// once, in order.
ChainFinding checkChain(const QString& path, std::shared_ptr<const FileCalls> calls = nullptr);

// The report's note on the file (by its name alone); empty for an intact file.
QString chainNote(const QString& path, const ChainFinding& finding);
// The notes on the record files at `paths`.
QStringList chainNotes(const QStringList& paths);

} // namespace velmora
