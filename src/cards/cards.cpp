#include "cards/cards.h"

#include "storage/cp932.h"
#include "storage/fields.h"
#include "storage/names.h"
#include "texts/texts.h"

#include <array>

namespace velmora {

namespace {

constexpr int32_t kReadMode = 12960;
constexpr size_t kBufferSize = 1024;
constexpr qsizetype kIdmLength = 16;

} // namespace

QString registeredName(BackwardLineReader& lines, const QString& idm) {
    // Compared on the file's bytes: the lookup runs on every clock tick, so the IDm is
    // encoded once and only the matching name is decoded.
    const std::optional<QByteArray> key = toCp932(idm);
    std::string_view fields[2];
    if (!key || !lastLineStartingWith(lines, view(*key), fields, 2)) return {};
    // A name edited in by hand that no record could hold (invalid bytes, a quote) would
    // make the arrival fail; such a card counts as unregistered.
    QString name = fromCp932(fields[1]);
    return isStorableName(name) ? name : QString();
}

namespace {

// get_idm's result, and the text read when it is not below zero.
int32_t readCard(CardLibrary& library, QString& text) {
    // 1024 zero bytes and one more as terminator: the library stays within the 1024, and
    // zero-filling spares it from terminating what it writes.
    std::array<char, kBufferSize + 1> buffer{};
    const int32_t result = library.getIdm(kReadMode, buffer.data());
    // All 1024 bytes, the NULs after the IDm included: a short IDm is padded with NULs
    // rather than cut.
    if (result >= 0) text = fromCp932(std::string_view(buffer.data(), kBufferSize));
    return result;
}

} // namespace

QString readIdm(CardLibrary& library) {
    QString text;
    readCard(library, text);
    return text.left(kIdmLength);
}

CardCheck checkCard(CardLibrary& library) {
    QString text;
    const int32_t result = readCard(library, text);
    if (result >= 0) return {CardCheck::Card, text.left(kIdmLength)};
    if (result == CardLibrary::kNoCard) return {CardCheck::NoCard, {}};
    return {result == CardLibrary::kNoReader ? CardCheck::NoReader : CardCheck::Failed, {}};
}

QString registeredName(const DataFolder& files, const QString& idm) {
    auto lines = files.linesFromEnd(kRegistryFile);
    if (!lines) throw Failure(texts::kMissingFile.arg(kRegistryFile));
    return registeredName(*lines, idm);
}

QString RegistryLookup::registeredName(const DataFolder& files, const QString& idm) {
    // Taken before the reading: a change while it reads makes the next lookup read again.
    const auto stamp = files.stamp(kRegistryFile);
    if (!stamp) throw Failure(texts::kMissingFile.arg(kRegistryFile));
    if (*stamp != stamp_ || idm != idm_) {
        name_ = velmora::registeredName(files, idm);
        stamp_ = *stamp, idm_ = idm;
    }
    return name_;
}

std::optional<QString> registerCard(const DataFolder& files, const QString& name,
                                    const QString& idm) {
    if (name.isEmpty()) return texts::kNoName;
    // The registry has no escape and is CP932: such a name would spoil its own line and
    // the lines after it.
    if (const auto fault = typedNameFault(name)) return fault;
    // The same holds for the IDm; a read the file cannot hold is no usable card read.
    if (idm.isEmpty() || !isStorableName(idm)) return texts::kNoCard;
    files.appendLine(kRegistryFile, quotedLine({*toCp932(idm), *toCp932(name)}));
    return std::nullopt;
}

} // namespace velmora
