#include "userdata.h"

#include "cp932.h"
#include "fields.h"
#include "names.h"

namespace velmora {

std::optional<QString> readOwnerName(const DataFolder& files) {
    auto bytes = files.readIfExists(kUserDataFile);
    if (!bytes || bytes->isEmpty()) return std::nullopt;
    std::string_view line;
    LineReader lines(view(*bytes));
    lines.next(line);
    FieldReader fields(line);
    return fromCp932(fields.next());
}

QString ownerName(const DataFolder& files) {
    auto name = readOwnerName(files);
    if (!name)
        throw Failure(QStringLiteral("ファイルが読めません \"%1\"").arg(kUserDataFile));
    return *name;
}

void writeOwnerName(const DataFolder& files, const QString& name) {
    auto bytes = toCp932(name);
    if (!bytes)
        throw Failure(kUnstorableNameMessage);
    files.replace(kUserDataFile, *bytes + "\r\n");
}

} // namespace velmora
