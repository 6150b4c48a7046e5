#include "terminal/userdata.h"

#include "storage/cp932.h"
#include "storage/fields.h"
#include "texts/texts.h"

namespace velmora {

std::optional<QString> readOwnerName(const DataFolder& files) {
    auto line = files.firstLine(kUserDataFile);
    if (!line) return std::nullopt;
    FieldReader fields(view(*line));
    return fromCp932(fields.next());
}

QString ownerName(const DataFolder& files) {
    auto name = readOwnerName(files);
    if (!name) throw Failure(texts::kUnreadableUserData.arg(kUserDataFile));
    return *name;
}

void writeOwnerName(const DataFolder& files, const QString& name) {
    auto bytes = toCp932(name);
    if (!bytes) throw Failure(texts::kUnstorableName);
    files.replace(kUserDataFile, *bytes + "\r\n");
}

} // namespace velmora
