#include "recordchain/chainwriter.h"

#include "logging/logging.h"
#include "recordchain/chain.h"
#include "storage/datafiles.h"
#include "storage/fields.h"
#include "storage/osfile.h"
#include "texts/texts.h"

namespace velmora {

namespace {

// Links are short; a chain whose last line is longer was not written by a terminal.
constexpr qint64 kLinkTail = 256;

// The chain's last link; nullopt for an empty chain. A last line that is no link (the chain
// edited, or cut within a line) stops the chaining: what follows would rest on nothing.
std::optional<ChainLink> lastLink(const OsFile& chain, const QString& name) {
    const qint64 size = chain.size();
    if (size == 0) return std::nullopt;
    const qint64 from = std::max<qint64>(0, size - kLinkTail);
    const QByteArray tail = chain.readAt(from, size - from);
    std::optional<ChainLink> link;
    if (tail.endsWith("\r\n")) {
        const qsizetype start = tail.lastIndexOf('\n', tail.size() - 2) + 1;
        if (start > 0 || from == 0)
            link = parseChainLine(view(tail.sliced(start, tail.size() - start - 2)));
    }
    if (!link) throw Failure(texts::kChainLastLineBad.arg(name));
    return link;
}

void chainRecords(const DataFolder& files, const QString& recordFile, const OsFile& records,
                  qint64 recordStart) {
    const QString name = chainFileOf(recordFile);
    OsFile chain = *OsFile::open(files.path(name), name, OsFile::Access::Append, files.calls());
    const std::optional<ChainLink> last = lastLink(chain, name);
    // The last chained record is read again only to find where the unchained ones begin; a
    // record file cut short since has nothing unchained before the new record.
    const bool lacking = !last || last->offset < recordStart;
    const qint64 from = !last ? 0 : lacking ? last->offset : recordStart;
    ForwardLines lines(records, from, records.size());
    if (last && lacking) lines.next();
    QByteArray value = last ? last->value : QByteArray();
    QByteArray links;
    Chainer chainer;
    while (const std::optional<ForwardLine> line = lines.next()) {
        if (line->tooLong) throw Failure(texts::kChainLineTooLong.arg(recordFile));
        value = chainer.next(value, line->bytes).toByteArray();
        links += chainLine({line->offset, value, line->offset < recordStart});
    }
    chain.appendWhole(links, chain.size());
}

} // namespace

void chainAppendedRecord(const DataFolder& files, const QString& recordFile, const OsFile& records,
                         qint64 recordStart) {
    try {
        chainRecords(files, recordFile, records, recordStart);
    } catch (const Failure& failure) {
        qCWarning(lcFiles).noquote() << "the record was written but not chained; the next record "
                                        "chains it late:"
                                     << failure.message();
    }
}

} // namespace velmora
