#include "recordchain/chaincheck.h"

#include "recordchain/chain.h"
#include "storage/datafiles.h"
#include "storage/fields.h"
#include "storage/osfile.h"
#include "texts/texts.h"

#include <QFileInfo>

namespace velmora {

namespace {

using Kind = ChainFinding::Kind;

// The chain's links in order; a line that is no link ends the check.
class Links {
public:
    explicit Links(const OsFile& chain) : lines_(chain, 0, chain.size()) {}
    std::optional<ChainLink> next() {
        const std::optional<ForwardLine> line = lines_.next();
        if (!line) return std::nullopt;
        ++number_;
        std::optional<ChainLink> link;
        if (!line->tooLong && line->bytes.endsWith("\r\n"))
            link = parseChainLine({line->bytes.data(), size_t(line->bytes.size() - 2)});
        if (!link) throw ChainFinding{Kind::BadChain, number_};
        return link;
    }

private:
    ForwardLines lines_;
    qint64 number_ = 0;
};

// Line `n` gives another value than `link`: a line put in before it gives the value of the
// line after; a line taken out, the value of the next link.
// `line` is a copy: the next line's reading takes the one read.
ChainFinding whatChanged(qint64 n, const QByteArray& line, bool tooLong, const ChainLink& link,
                         const QByteArray& value, ForwardLines& lines, Links& links) {
    Chainer chainer;
    const std::optional<ForwardLine> following = lines.next();
    if (!following && !line.endsWith('\n')) return {Kind::Truncated, n}; // cut within it
    if (tooLong ||
        (following && !following->tooLong && chainer.next(value, following->bytes) == link.value))
        return {Kind::Inserted, n};
    const std::optional<ChainLink> nextLink = links.next();
    if (nextLink && chainer.next(link.value, line) == nextLink->value) return {Kind::Removed, n};
    return {Kind::Changed, n};
}

ChainFinding compare(const OsFile& records, const OsFile& chain) {
    ForwardLines lines(records, 0, records.size());
    Links links(chain);
    Chainer chainer;
    QByteArray value;
    for (qint64 n = 1;; ++n) {
        const std::optional<ForwardLine> line = lines.next();
        const std::optional<ChainLink> link = links.next();
        if (!line) return {link ? Kind::Truncated : Kind::Intact, link ? n : 0};
        if (!link) return {Kind::Unchained, n};
        if (line->tooLong || chainer.next(value, line->bytes) != link->value)
            return whatChanged(n, line->bytes.toByteArray(), line->tooLong, *link, value, lines,
                               links);
        value = link->value;
    }
}

// The report names a record file it cannot read itself.
std::optional<OsFile> openedOrNone(const QString& path, const QString& name,
                                   std::shared_ptr<const FileCalls> calls) {
    try {
        return OsFile::open(path, name, OsFile::Access::Read, std::move(calls));
    } catch (const Failure&) {
        return std::nullopt;
    }
}

} // namespace

ChainFinding checkChain(const QString& path, std::shared_ptr<const FileCalls> calls) {
    const QString name = QFileInfo(path).fileName(), chainPath = chainFileOf(path);
    const std::optional<OsFile> records = openedOrNone(path, name, calls);
    if (!records) return {};
    try {
        const auto chain =
            OsFile::open(chainPath, QFileInfo(chainPath).fileName(), OsFile::Access::Read, calls);
        if (!chain) return {Kind::NoChain};
        return compare(*records, *chain);
    } catch (const ChainFinding& finding) {
        return finding;
    } catch (const Failure& failure) {
        return {Kind::Unchecked, 0, failure.message()};
    }
}

QString chainNote(const QString& path, const ChainFinding& finding) {
    const QString name = QFileInfo(path).fileName();
    const QString line = QString::number(finding.line);
    switch (finding.kind) {
    case Kind::Intact:
        return {};
    case Kind::NoChain:
        return texts::kChainMissing.arg(name);
    case Kind::Changed:
        return texts::kChainChanged.arg(name, line);
    case Kind::Inserted:
        return texts::kChainInserted.arg(name, line);
    case Kind::Removed:
        return texts::kChainRemoved.arg(name, line);
    case Kind::Truncated:
        return texts::kChainTruncated.arg(name, line);
    case Kind::Unchained:
        return texts::kChainUnchained.arg(name, line);
    case Kind::BadChain:
        return texts::kChainBad.arg(QFileInfo(chainFileOf(path)).fileName(), line);
    case Kind::Unchecked:
        return texts::kChainUnchecked.arg(name, finding.reason);
    }
    return {};
}

QStringList chainNotes(const QStringList& paths) {
    QStringList notes;
    for (const QString& path : paths)
        if (const QString note = chainNote(path, checkChain(path)); !note.isEmpty()) notes << note;
    return notes;
}

} // namespace velmora
