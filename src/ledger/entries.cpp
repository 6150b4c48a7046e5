#include "ledger/csv.h"
#include "ledger/ledger.h"
#include "storage/datafiles.h"
#include "storage/names.h"
#include "texts/texts.h"

#include <algorithm>
#include <variant>

namespace velmora {

using namespace ledger;

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

// The entry of a line, or why there is none.
std::variant<Entry, QString> entryOf(const CsvLine& line) {
    if (line.malformed) return texts::kLedgerBadQuotes;
    const QStringList& f = line.fields;
    if (f.size() != kFields) return texts::kLedgerFieldCount.arg(f.size());
    Entry e;
    e.line = line.number;
    const auto written = parseWritten(f[0]);
    if (!written) return texts::kLedgerBadWritten.arg(f[0]);
    e.written = *written;
    e.writer = f[1];
    e.name = f[2];
    const auto date = parseDate(f[3]);
    if (!date) return texts::kLedgerBadDate.arg(f[3]);
    e.date = *date;
    QString kind = f[4];
    e.cancels = kind.endsWith(kCancels);
    if (e.cancels) kind.chop(kCancels.size());
    const qsizetype k = kKindNames.indexOf(kind);
    if (k < 0) return texts::kLedgerUnknownKind.arg(f[4]);
    e.kind = EntryKind(k);
    for (int i : {5, 6}) {
        if (f[i].isEmpty() || e.cancels) continue;
        const auto minutes = parseTime(f[i]);
        if (!minutes) return texts::kLedgerBadTime.arg(f[i]);
        (i == 5 ? e.start : e.end) = *minutes;
    }
    e.reason = f[7];
    if (auto fault = faultOf(e, false)) return *fault;
    return e;
}

} // namespace

QString entryKindName(EntryKind kind, bool cancels) {
    return kKindNames.value(qsizetype(kind)) + (cancels ? kCancels : QString());
}

QList<Entry> parseEntries(const QByteArray& bytes, const QString& file,
                          QList<LedgerProblem>& problems) {
    QList<Entry> entries;
    for (const CsvLine& line : csvLines(decodeText(bytes), QStringLiteral("記入日時"))) {
        auto entry = entryOf(line);
        if (auto* e = std::get_if<Entry>(&entry))
            entries.append(std::move(*e));
        else
            problems.append({file, line.number, std::get<QString>(entry)});
    }
    return entries;
}

std::optional<QString> entryFault(const Entry& entry) { return faultOf(entry, true); }

QByteArray entryLine(const Entry& e) {
    // Only an entry without a fault is written, and its texts are all CP932's.
    return quotedCp932({writtenText(e.written), e.writer, e.name, dateText(e.date),
                        entryKindName(e.kind, e.cancels), timeText(e.start), timeText(e.end),
                        e.reason})
        .value_or(QByteArray());
}

void appendEntry(const QDir& folder, const Entry& entry) {
    if (const auto fault = entryFault(entry)) throw Failure(*fault);
    DataFolder(folder).appendLine(kEntriesFile, entryLine(entry));
}

QList<EntryState> entryStates(const QList<Entry>& entries, QList<LedgerProblem>* problems) {
    QList<EntryState> states;
    for (const Entry& e : entries) {
        if (!e.cancels) {
            states.append({e, std::nullopt});
            continue;
        }
        auto target = std::find_if(states.rbegin(), states.rend(), [&](const EntryState& s) {
            return !s.cancelled() && s.entry.kind == e.kind && s.entry.name == e.name &&
                   s.entry.date == e.date;
        });
        if (target != states.rend())
            target->cancelledBy = e;
        else if (problems)
            problems->append({kEntriesFile, e.line, texts::kLedgerNothingToCancel});
    }
    return states;
}

} // namespace velmora
