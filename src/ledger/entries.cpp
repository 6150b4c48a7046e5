#include "ledger/csv.h"
#include "ledger/ledger.h"
#include "storage/datafiles.h"
#include "storage/names.h"
#include "texts/texts.h"

#include "storage/osfile.h"

#include <QSet>
#include <QUtf8StringView>
#include <algorithm>
#include <utility>
#include <variant>
#include <vector>

namespace velmora {

using namespace ledger;

QList<Entry> readEntries(const QDir& folder, std::optional<DateRange> dates,
                         QList<LedgerProblem>& problems);

namespace {

constexpr int kDay = 24 * 60;
constexpr qsizetype kFields = 8;
const QString kCancels = QStringLiteral("取消");
const QStringList kKindNames = {QStringLiteral("出張"),   QStringLiteral("在宅"),
                                QStringLiteral("研鑽"),   QStringLiteral("出訂正"),
                                QStringLiteral("退訂正"), QStringLiteral("休暇")};

bool isTime(int minutes) { return minutes >= 0 && minutes <= kDay; }

std::optional<QString> timesFault(const Entry& e) {
    if (e.cancels) return std::nullopt; // its times say nothing
    if ((e.start != -1 && !isTime(e.start)) || (e.end != -1 && !isTime(e.end)))
        return texts::kEntryBadTime;
    switch (e.kind) {
    case EntryKind::Trip:
    case EntryKind::Telework:
    case EntryKind::SelfStudy:
        if (e.start == -1 || e.end == -1) return texts::kEntryNeedsSpan.arg(entryKindName(e.kind));
        break;
    case EntryKind::ArrivalFix:
        // An arrival at 24:00 would begin no day.
        if (e.start == -1 || e.start >= kDay || e.end != -1) return texts::kEntryArrivalOnly;
        return std::nullopt;
    case EntryKind::LeavingFix:
        if (e.end == -1 || e.start != -1) return texts::kEntryLeavingOnly;
        return std::nullopt;
    case EntryKind::Leave:
        if ((e.start == -1) != (e.end == -1)) return texts::kEntryLeaveTimes;
        if (e.start == -1) return std::nullopt; // the whole day
        break;
    }
    if (e.end <= e.start) return texts::kEntryEndNotAfterStart;
    return std::nullopt;
}

// The rules of an entry; `toWrite` adds those of the file's format, which a line already
// read (perhaps from UTF-8) has no need to meet.
std::optional<QString> faultOf(const Entry& e, bool toWrite) {
    if (!e.date.isValid() || e.date.year() < 2000 || e.date.year() > 2099)
        return texts::kEntryBadDate;
    if (!e.written.isValid()) return texts::kEntryBadWritten;
    if (auto fault = timesFault(e)) return fault;
    if (e.name.isEmpty()) return texts::kLedgerNoName;
    if (e.writer.isEmpty()) return texts::kEntryNoWriter;
    if (e.reason.isEmpty()) return texts::kEntryNoReason;
    if (!toWrite) return std::nullopt;
    if (!isStorableName(e.name)) return texts::kLedgerUnwritable.arg(texts::kFieldName, e.name);
    if (!isStorableName(e.writer))
        return texts::kLedgerUnwritable.arg(texts::kFieldWriter, e.writer);
    if (!writable(e.reason)) return texts::kLedgerUnwritable.arg(texts::kFieldReason, e.reason);
    return std::nullopt;
}

// The date field of a line as Velmora writes it, from its bytes alone (no CP932 trail byte
// is a quote or a comma), so that a line of another year costs no decoding; nullopt for any
// other line, which is read whole.
std::optional<QDate> quickDate(QByteArrayView raw) {
    qsizetype start = 0;
    for (int field = 0; field < 3; ++field) {
        if (raw.sliced(start).startsWith('"')) {
            const qsizetype quote = raw.indexOf('"', start + 1);
            if (quote < 0) return std::nullopt;
            start = quote + 1;
        }
        start = raw.indexOf(',', start);
        if (start < 0) return std::nullopt;
        ++start;
    }
    const qsizetype end = raw.indexOf(',', start);
    QByteArrayView date = raw.sliced(start, (end < 0 ? raw.size() : end) - start).trimmed();
    if (date.size() < 2 || !date.startsWith('"') || !date.endsWith('"')) return std::nullopt;
    date = date.sliced(1, date.size() - 2);
    if (date.size() > 10) return std::nullopt;
    char16_t text[10];
    for (qsizetype i = 0; i < date.size(); ++i) text[i] = char16_t((unsigned char)date[i]);
    return parseDate(QStringView(text, date.size()));
}

// The entry of a line, or why there is none; nullopt for one outside `dates`.
std::optional<std::variant<Entry, QString>> entryOf(int number, QByteArrayView raw,
                                                    const std::optional<DateRange>& dates) {
    if (dates)
        if (const auto date = quickDate(raw); date && !dates->contains(*date)) return std::nullopt;
    const QString text = decodeLine(raw);
    const auto fields = splitFields(text);
    if (!fields) return texts::kLedgerBadQuotes;
    const QStringList& f = *fields;
    if (f.size() != kFields) return texts::kLedgerFieldCount.arg(f.size());
    Entry e;
    e.line = number;
    const auto date = parseDate(f[3]);
    if (!date) return texts::kLedgerBadDate.arg(f[3]);
    if (dates && !dates->contains(*date)) return std::nullopt;
    e.date = *date;
    const auto written = parseWritten(f[0]);
    if (!written) return texts::kLedgerBadWritten.arg(f[0]);
    e.written = *written;
    e.writer = f[1];
    e.name = f[2];
    for (auto [field, label] :
         {std::pair{&e.name, texts::kFieldName}, std::pair{&e.writer, texts::kFieldWriter}})
        if (hasControl(*field)) return texts::kLedgerControl.arg(label);
    QStringView kind = f[4];
    e.cancels = kind.endsWith(kCancels);
    if (e.cancels) kind.chop(kCancels.size());
    const qsizetype k = kKindNames.indexOf(kind);
    if (k < 0) return texts::kLedgerUnknownKind.arg(f[4]);
    e.kind = EntryKind(k);
    for (int i : {5, 6}) {
        if (f[i].isEmpty()) continue;
        const auto minutes = parseTime(f[i], kFileTime);
        if (!minutes) return texts::kLedgerBadTime.arg(f[i]);
        (i == 5 ? e.start : e.end) = *minutes;
    }
    e.reason = f[7];
    if (auto fault = faultOf(e, false)) return *fault;
    return e;
}

bool isHeader(QByteArrayView raw) {
    QString text = decodeLine(raw).trimmed();
    if (text.startsWith(u'"')) text.remove(0, 1);
    return text.startsWith(QStringLiteral("記入日時"));
}

// Names, writers and reasons repeat through a file: held once each.
class Strings {
public:
    void share(QString& text) {
        const auto found = seen_.constFind(text);
        if (found != seen_.cend())
            text = *found;
        else
            seen_.insert(text);
    }

private:
    QSet<QString> seen_;
};

// A line longer than this is no entry; it is skipped unread.
constexpr qsizetype kLongestEntry = 1024 * 1024;
constexpr qint64 kBlock = 4 * 1024 * 1024;
// Only so many problems are named; the rest are counted.
constexpr qsizetype kMostProblems = 1000;

// What a cancellation may cancel: the same kind, name and date, and its times unless
// `anyTimes`.
struct Target {
    QString name;
    qint64 day = 0;
    int kind = 0, start = 0, end = 0;
    bool operator==(const Target&) const = default;
};
size_t qHash(const Target& t, size_t seed = 0) {
    return qHashMulti(seed, t.name, t.day, t.kind, t.start, t.end);
}
constexpr int kAnyTime = -2;

// For each key the latest entry holding it, each entry linked to the one before it.
class Chains {
public:
    void add(const Target& key, qsizetype index) {
        auto& head = heads_[key];
        previous_.resize(size_t(index) + 1, -1);
        previous_[size_t(index)] = head - 1;
        head = index + 1; // 0: none
    }
    // The latest entry of the key not yet cancelled, or -1; those cancelled above it are
    // dropped from the chain for good.
    qsizetype latest(const Target& key, const QList<EntryState>& states) {
        const auto found = heads_.find(key);
        if (found == heads_.end()) return -1;
        qsizetype i = *found - 1;
        while (i >= 0 && states[i].cancelled()) i = previous_[size_t(i)];
        *found = i + 1;
        return i;
    }

private:
    QHash<Target, qsizetype> heads_;
    std::vector<qsizetype> previous_;
};

} // namespace

QList<Entry> readEntries(const QDir& folder, std::optional<DateRange> dates,
                         QList<LedgerProblem>& problems) {
    QList<Entry> entries;
    const auto file =
        OsFile::open(folder.filePath(kEntriesFile), kEntriesFile, OsFile::Access::Read);
    if (!file) return entries;
    Strings strings;
    qsizetype unnamed = 0;
    const auto problem = [&](int number, const QString& message) {
        if (problems.size() < kMostProblems)
            problems.append({kEntriesFile, number, message});
        else
            ++unnamed;
    };
    bool header = true; // the first line holding anything may be a header
    const auto take = [&](int number, QByteArrayView raw) {
        if (raw.trimmed().isEmpty()) return;
        if (std::exchange(header, false) && isHeader(raw)) return;
        auto entry = entryOf(number, raw, dates);
        if (!entry) return;
        if (auto* e = std::get_if<Entry>(&*entry)) {
            for (QString* text : {&e->name, &e->writer, &e->reason}) strings.share(*text);
            entries.append(std::move(*e));
        } else {
            problem(number, std::get<QString>(*entry));
        }
    };
    // Forward a block at a time; a line too long is passed over to its end.
    const qint64 size = file->size();
    QByteArray buffer;
    qint64 offset = 0;
    int number = 0;
    bool tooLong = false;
    while (offset < size) {
        const qsizetype kept = buffer.size();
        const qint64 n = std::min(kBlock, size - offset);
        buffer.resize(kept + qsizetype(n));
        file->readAt(offset, n, buffer.data() + kept);
        if (offset == 0 && buffer.startsWith("\xEF\xBB\xBF")) buffer.remove(0, 3);
        offset += n;
        QByteArrayView rest(buffer);
        for (qsizetype end; (end = rest.indexOf('\n')) >= 0; rest = rest.sliced(end + 1)) {
            ++number;
            if (std::exchange(tooLong, false)) continue;
            QByteArrayView line = rest.first(end);
            if (line.endsWith('\r')) line.chop(1);
            take(number, line);
        }
        if (rest.size() > kLongestEntry && !tooLong) {
            problem(number + 1, texts::kLedgerLineTooLong);
            tooLong = true;
        }
        buffer = tooLong ? QByteArray() : rest.toByteArray();
    }
    if (!buffer.isEmpty() && !tooLong) {
        QByteArrayView line(buffer);
        if (line.endsWith('\r')) line.chop(1);
        take(number + 1, line);
    }
    if (unnamed > 0) problems.append({kEntriesFile, 0, texts::kLedgerMoreProblems.arg(unnamed)});
    return entries;
}

QString entryKindName(EntryKind kind, bool cancels) {
    return kKindNames.value(qsizetype(kind)) + (cancels ? kCancels : QString());
}

QList<Entry> parseEntries(const QByteArray& bytes, const QString& file,
                          QList<LedgerProblem>& problems) {
    QList<Entry> entries;
    bool header = true;
    eachLine(bytes, [&](int number, QByteArrayView raw) {
        if (raw.trimmed().isEmpty()) return;
        if (std::exchange(header, false) && isHeader(raw)) return;
        auto entry = *entryOf(number, raw, std::nullopt);
        if (auto* e = std::get_if<Entry>(&entry))
            entries.append(std::move(*e));
        else
            problems.append({file, number, std::get<QString>(entry)});
    });
    return entries;
}

std::optional<QString> entryFault(const Entry& entry) { return faultOf(entry, true); }

QByteArray entryLine(const Entry& e, bool utf8) {
    // Only an entry without a fault is written, and its texts are all CP932's.
    return quotedLine({writtenText(e.written), e.writer, e.name, dateText(e.date),
                       entryKindName(e.kind, e.cancels), timeText(e.start), timeText(e.end),
                       e.reason},
                      utf8)
        .value_or(QByteArray());
}

namespace {

// Whether the file is UTF-8: a byte-order mark at its start, or its first line holding more
// than ASCII (within its first and last blocks) is UTF-8.
bool isUtf8(const OsFile& file, qint64 size) {
    constexpr qint64 kLook = 64 * 1024;
    const QByteArray head = file.readAt(0, std::min(size, kLook));
    if (head.startsWith("\xEF\xBB\xBF")) return true;
    std::optional<bool> found;
    const auto look = [&](const QByteArray& bytes) {
        eachLine(bytes, [&](int, QByteArrayView line) {
            if (found || std::all_of(line.begin(), line.end(),
                                     [](char c) { return (unsigned char)c < 0x80; }))
                return;
            found = QUtf8StringView(line.data(), line.size()).isValidUtf8();
        });
    };
    // The last line of a block may be cut: only whole lines count.
    const auto whole = [](QByteArray bytes, bool cutStart) {
        if (cutStart) bytes = bytes.mid(bytes.indexOf('\n') + 1);
        return bytes.left(bytes.lastIndexOf('\n') + 1);
    };
    look(size > kLook ? whole(head, false) : head);
    if (!found && size > kLook) look(whole(file.readAt(size - kLook, kLook), true));
    return found.value_or(false);
}

} // namespace

void ledger::appendLines(const QString& folder, const QString& name,
                         const std::function<QByteArray(bool utf8)>& lines) {
    OsFile file = *OsFile::open(QDir(folder).filePath(name), name, OsFile::Access::Append);
    // Held across the look at the encoding and the last line end, the write and any
    // take-back, as the terminals' records are.
    file.lockForAppending(std::chrono::seconds(3));
    const qint64 size = file.size();
    const QByteArray bytes = lines(size > 0 && isUtf8(file, size));
    const bool endsMidLine = size > 0 && !QByteArray("\r\n").contains(file.readAt(size - 1, 1));
    file.appendWhole(endsMidLine ? "\r\n" + bytes : bytes, size);
}

void appendEntry(const QDir& folder, const Entry& entry) {
    if (const auto fault = entryFault(entry)) throw Failure(*fault);
    appendLines(folder.path(), kEntriesFile, [&](bool utf8) { return entryLine(entry, utf8); });
}

QList<EntryState> entryStates(const QList<Entry>& entries, QList<LedgerProblem>* problems) {
    QList<EntryState> states;
    states.reserve(entries.size());
    const auto keyOf = [](const Entry& e, bool anyTimes) {
        return Target{e.name, e.date.toJulianDay(), int(e.kind), anyTimes ? kAnyTime : e.start,
                      anyTimes ? kAnyTime : e.end};
    };
    // Only older files hold cancellations without times: their index is made at the first.
    Chains exact;
    std::optional<Chains> anyTimes;
    for (const Entry& e : entries) {
        if (!e.cancels) {
            exact.add(keyOf(e, false), states.size());
            if (anyTimes) anyTimes->add(keyOf(e, true), states.size());
            states.append({e, nullptr});
            continue;
        }
        const bool timeless = e.start == -1 && e.end == -1;
        if (timeless && !anyTimes) {
            anyTimes.emplace();
            for (qsizetype i = 0; i < states.size(); ++i)
                anyTimes->add(keyOf(states[i].entry, true), i);
        }
        const qsizetype target = timeless ? anyTimes->latest(keyOf(e, true), states)
                                          : exact.latest(keyOf(e, false), states);
        if (target >= 0)
            states[target].cancelledBy = std::make_shared<const Entry>(e);
        else if (problems)
            problems->append({kEntriesFile, e.line, texts::kLedgerNothingToCancel});
    }
    return states;
}

bool wouldCancel(QList<Entry> entries, const Entry& cancellation, qsizetype index) {
    const bool before = entryStates(entries).value(index).cancelled();
    entries << cancellation;
    return !before && entryStates(entries).value(index).cancelled();
}

} // namespace velmora
