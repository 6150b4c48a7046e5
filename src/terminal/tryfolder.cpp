#include "terminal/tryfolder.h"

#include "cards/cards.h"
#include "storage/datafiles.h"
#include "terminal/userdata.h"
#include "texts/texts.h"

namespace velmora {

namespace {

// A folder made for trying holds its virtual reader's file; an empty one is new.
bool mayTryIn(const QDir& dir) {
    return dir.exists(kTryCardFile) ||
           dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot).isEmpty();
}

void registerExampleCards(const DataFolder& files) {
    files.createIfMissing(kRegistryFile);
    for (const ExampleCard& card : kExampleCards) {
        const QString idm = QString::fromUtf16(card.idm), name = QString::fromUtf16(card.name);
        if (registeredName(files, idm) != name) registerCard(files, name, idm);
    }
}

} // namespace

std::optional<QString> prepareTryFolder(const QString& folder) {
    const QString shown = QDir::toNativeSeparators(folder);
    if (!QDir().mkpath(folder)) return texts::kCannotUseFolder.arg(shown);
    const QDir dir(folder);
    if (!mayTryIn(dir)) return texts::kNotTryFolder.arg(shown);
    try {
        const DataFolder files(dir);
        if (!readOwnerName(files)) writeOwnerName(files, QString());
        registerExampleCards(files);
        files.replace(kTryCardFile, {});
    } catch (const Failure& failure) {
        return failure.message();
    }
    return std::nullopt;
}

} // namespace velmora
