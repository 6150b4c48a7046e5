#pragma once
// A record file's chain ("Velmora.dat" → "Velmora.chain"): one line for each record, in the
// record file's order, `"OFFSET","VALUE"` with CR LF, or `"OFFSET","VALUE","late"` for a
// record chained by a later append than its own. OFFSET is where the record's line begins in
// the record file (decimal bytes); VALUE is SHA-256 over the previous line's value (32 bytes;
// nothing for the first line) and the record's line with its line end, in lower-case hex.
// A line edited, added or taken out of the record file no longer gives the values that were
// written when it was.

#include <QByteArray>
#include <QCryptographicHash>
#include <QString>
#include <optional>
#include <string_view>

namespace velmora {

class OsFile;

// The chain's path or name for a record file's: its extension replaced by ".chain".
QString chainFileOf(const QString& recordFile);

struct ChainLink {
    qint64 offset = 0;
    QByteArray value; // 32 bytes
    bool late = false;
};

// A link's line with its line end; nullopt for a line that is no link (without its line end).
QByteArray chainLine(const ChainLink& link);
std::optional<ChainLink> parseChainLine(std::string_view line);

// The value that follows `previous` for a record line's bytes, held until the next call: one
// hash serves every call, and the report makes one for every line it reads.
class Chainer {
public:
    QByteArrayView next(QByteArrayView previous, QByteArrayView recordLine);

private:
    QCryptographicHash hash_{QCryptographicHash::Sha256};
};

// A file's lines in order from `from` up to `to`, each with its line end (the last may have
// none) and where it begins, read in blocks; its bytes are held until the next call. A line longer
// than any the terminal writes (kLongestLine) is given without its bytes, so that memory stays
// small.
struct ForwardLine {
    qint64 offset = 0;
    QByteArrayView bytes;
    bool tooLong = false;
};

class ForwardLines {
public:
    ForwardLines(const OsFile& file, qint64 from, qint64 to)
        : file_(file), next_(from), to_(to), bufferAt_(from) {}
    std::optional<ForwardLine> next();

private:
    const OsFile& file_;
    qint64 next_; // the first byte not read yet
    qint64 to_;
    qint64 bufferAt_;   // where buffer_ begins in the file
    QByteArray buffer_; // read, given up to start_
    qsizetype start_ = 0;
    qsizetype searched_ = 0; // no line end before this
    bool skipping_ = false;  // within a line too long, given already
};

} // namespace velmora
