#include "targets.h"

#include "attendance.h"
#include "cards.h"
#include "cp932.h"
#include "datafiles.h"
#include "fields.h"
#include "names.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <vector>

namespace velmora::fuzz {

namespace {

[[noreturn]] void abortOnBrokenRule(const char* rule) {
    std::fprintf(stderr, "velmora fuzz: rule broken: %s\n", rule);
    std::abort();
}

void expect(bool holds, const char* rule) {
    if (!holds) ruleBroken(rule);
}

std::string_view bytesOf(const uint8_t* data, size_t size) {
    return size == 0 ? std::string_view() : std::string_view(reinterpret_cast<const char*>(data), size);
}

bool within(std::string_view part, std::string_view whole) {
    if (part.empty()) return true; // an empty value may point anywhere
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

// The field rules spelt out character by character, apart from FieldReader's searches.
std::vector<std::string_view> plainFields(std::string_view line) {
    std::vector<std::string_view> out;
    if (line.empty()) return out;
    size_t i = 0;
    for (;;) {
        while (i < line.size() && line[i] == ' ') ++i;
        size_t start = i;
        size_t end = i;
        if (i < line.size() && line[i] == '"') {
            start = end = i + 1;
            while (end < line.size() && line[end] != '"') ++end;
            i = end < line.size() ? end + 1 : end;
        } else {
            while (end < line.size() && line[end] != ',') ++end;
            i = end;
            while (end > start && line[end - 1] == ' ') --end;
        }
        out.push_back(line.substr(start, end - start));
        while (i < line.size() && line[i] != ',') ++i;
        if (i == line.size()) return out;
        ++i; // a comma always opens one more field, an empty one at the line's end
    }
}

// Builds the one line the program writes for up to eight fields.
QByteArray quoted(const std::vector<QByteArray>& f) {
    switch (f.size()) {
    case 0: return quotedLine({});
    case 1: return quotedLine({f[0]});
    case 2: return quotedLine({f[0], f[1]});
    case 3: return quotedLine({f[0], f[1], f[2]});
    case 4: return quotedLine({f[0], f[1], f[2], f[3]});
    case 5: return quotedLine({f[0], f[1], f[2], f[3], f[4]});
    case 6: return quotedLine({f[0], f[1], f[2], f[3], f[4], f[5]});
    case 7: return quotedLine({f[0], f[1], f[2], f[3], f[4], f[5], f[6]});
    default: return quotedLine({f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]});
    }
}

// The first field of each line, decoded: the names and IDms a file itself offers.
QStringList firstFields(std::string_view data, int limit) {
    QStringList out;
    LineReader lines(data);
    std::string_view line;
    QString last;
    while (lines.next(line)) {
        FieldReader fields(line);
        last = fromCp932(fields.next());
        if (out.size() < limit && !out.contains(last)) out << last;
    }
    if (!out.contains(last)) out << last;
    return out;
}

// The plain reading of the record file: every line from the first, the last match wins.
AttendanceRecord forwardLast(std::string_view bytes, const QString& name) {
    const auto wanted = toCp932(name);
    if (!wanted) return {};
    AttendanceRecord found;
    LineReader lines(bytes);
    std::string_view line;
    while (lines.next(line)) {
        std::string_view f[4];
        if (readFields(line, f, 4) == 4 && f[0] == view(*wanted))
            found = {fromCp932(f[0]), fromCp932(f[1]), fromCp932(f[2]), fromCp932(f[3])};
    }
    return found;
}

// The plain reading of the registry: two fields a line, the last match wins.
QString forwardName(std::string_view registry, const QString& idm) {
    const auto wanted = toCp932(idm);
    if (!wanted) return {};
    bool found = false;
    std::string_view name;
    LineReader lines(registry);
    std::string_view line;
    while (lines.next(line)) {
        std::string_view f[2];
        if (readFields(line, f, 2) == 2 && f[0] == view(*wanted)) name = f[1], found = true;
    }
    if (!found) return {};
    const QString decoded = fromCp932(name);
    return isStorableName(decoded) ? decoded : QString();
}

// One folder for the whole run; the record file in it is rewritten for each input.
const DataFolder& scratchFolder() {
    static QTemporaryDir dir;
    static const DataFolder folder{QDir(dir.path())};
    return folder;
}

} // namespace

void (*ruleBroken)(const char* rule) = abortOnBrokenRule;

int fuzzFields(const uint8_t* data, size_t size) {
    const std::string_view bytes = bytesOf(data, size);

    // The lines and their line ends make up the data exactly, in order.
    LineReader lines(bytes);
    std::string_view line;
    size_t at = 0;
    size_t count = 0;
    std::string_view previousFirst;
    while (lines.next(line)) {
        if (++count > size) {
            ruleBroken("more lines than bytes");
            break;
        }
        expect(line.data() == bytes.data() + at, "a line does not start where the last one ended");
        expect(line.find_first_of("\r\n") == std::string_view::npos, "a line holds a line end");
        at += line.size();
        if (at < size) {
            const bool crlf = bytes[at] == '\r' && at + 1 < size && bytes[at + 1] == '\n';
            expect(crlf || bytes[at] == '\r' || bytes[at] == '\n', "a line ends on no line end");
            at += crlf ? 2 : 1;
        }

        // Each field is a part of its line, as the rules read it.
        const std::vector<std::string_view> expected = plainFields(line);
        FieldReader reader(line);
        std::vector<std::string_view> got;
        while (!reader.atEnd()) {
            got.push_back(reader.next());
            expect(got.size() <= line.size() + 1, "more fields than the line has room for");
            if (got.size() > line.size() + 1) break;
            expect(within(got.back(), line), "a field lies outside its line");
        }
        expect(got == expected, "fields differ from the rules' reading");
        std::string_view some[3];
        const size_t n = readFields(line, some, 3);
        expect(n == std::min<size_t>(got.size(), 3) && std::equal(some, some + n, got.begin()),
               "readFields differs from FieldReader");

        // The lookups' shortcut for comparing the first field, tried on values near it.
        const std::string_view first = expected.empty() ? std::string_view() : expected[0];
        const std::string candidates[] = {std::string(first), std::string(previousFirst),
                                          std::string(first.substr(0, first.size() / 2)),
                                          std::string(first) + '"', std::string(first) + ' ',
                                          std::string(first) + ','};
        for (const std::string& value : candidates)
            expect(firstFieldIs(line, value) == (!expected.empty() && first == value),
                   "firstFieldIs differs from the first field");
        previousFirst = first;
    }
    expect(at == size, "the lines do not cover the data");

    // Fields without quotes and line ends come back from the line the program writes:
    // the input split at those very bytes gives them.
    std::vector<QByteArray> fields(1);
    for (char c : bytes) {
        if (c == '"' || c == '\r' || c == '\n') {
            if (fields.size() == 8) break;
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    const QByteArray written = quoted(fields);
    LineReader back(view(written));
    expect(back.next(line), "a written line reads as no line");
    expect(view(written) == std::string(line) + "\r\n", "a written line is not read whole");
    FieldReader reader(line);
    for (const QByteArray& field : fields) {
        expect(!reader.atEnd(), "a written field is missing");
        if (reader.atEnd()) break;
        expect(reader.next() == view(field), "a written field reads back altered");
    }
    expect(reader.atEnd(), "a written line reads back with more fields");
    expect(!back.next(line), "a written line reads as more than one");
    return 0;
}

int fuzzCp932(const uint8_t* data, size_t size) {
    const std::string_view bytes = bytesOf(data, size);

    // Decoding never fails, and no byte gives more than one character.
    const QString decoded = fromCp932(bytes);
    expect(decoded.size() <= qsizetype(size), "more characters than bytes");
    if (std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; }))
        expect(decoded == QString::fromLatin1(bytes.data(), qsizetype(size)),
               "plain ASCII decodes to something else");

    // Any text that encodes at all comes back unchanged: read the input as what CP932
    // gave, as UTF-8 and as raw UTF-16 units (lone surrogates included).
    QString units(qsizetype(size / 2), Qt::Uninitialized);
    if (!units.isEmpty()) std::memcpy(units.data(), data, size_t(units.size()) * 2);
    for (const QString& text : {decoded, QString::fromUtf8(bytes.data(), qsizetype(size)), units}) {
        const auto encoded = toCp932(text);
        if (!encoded) continue;
        expect(encoded->size() <= 2 * text.size(), "more than two bytes a character");
        expect(fromCp932(view(*encoded)) == text, "text encoded does not decode to itself");
    }
    return 0;
}

int fuzzRecords(const uint8_t* data, size_t size) {
    const std::string_view bytes = bytesOf(data, size);
    const uint8_t steer = size > 0 ? data[0] : 0;
    const size_t nameLength = size > 1 ? std::min<size_t>(uint8_t(bytes[1]), size - 2) : 0;
    const std::string_view file = size > 2 ? bytes.substr(2 + nameLength) : std::string_view();

    QStringList names = firstFields(file, 6);
    const QString given = fromCp932(size > 2 ? bytes.substr(2, nameLength) : std::string_view());
    if (!names.contains(given)) names.prepend(given);
    if (!names.contains(QString())) names << QString();

    // Half the inputs also go through the file, read from its end in small blocks.
    const bool throughFile = steer & 0x80;
    const qint64 blockSize = 1 + (steer & 0x3f);
    if (throughFile) {
        QFile out(scratchFolder().path(kRecordFile));
        expect(out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                   out.write(file.data(), qint64(file.size())) == qint64(file.size()),
               "the scratch record file cannot be written");
    }
    for (const QString& name : names) {
        const AttendanceRecord expected = forwardLast(file, name);
        expect(lastRecordIn(file, name) == expected, "backward reading differs from forward");
        if (throughFile)
            expect(FindLastRecord(scratchFolder(), name, blockSize) == expected,
                   "reading the file in blocks differs from forward reading");
    }
    return 0;
}

int fuzzRegistry(const uint8_t* data, size_t size) {
    const std::string_view bytes = bytesOf(data, size);
    const size_t idmLength = size > 0 ? std::min<size_t>(uint8_t(bytes[0]), size - 1) : 0;
    const std::string_view registry = size > 1 ? bytes.substr(1 + idmLength) : std::string_view();

    QStringList idms = firstFields(registry, 6);
    const QString given = fromCp932(size > 1 ? bytes.substr(1, idmLength) : std::string_view());
    if (!idms.contains(given)) idms.prepend(given);
    if (!idms.contains(QString())) idms << QString();

    QStringList before;
    for (const QString& idm : idms) {
        before << registeredName(registry, idm);
        expect(before.back() == forwardName(registry, idm), "lookup differs from plain reading");
        expect(before.back().isEmpty() || isStorableName(before.back()),
               "lookup gives a name no record can hold");
    }

    // A registration appended as the registration window appends it names its card from
    // then on and leaves every other card as it was, whatever the file held before.
    const auto card = std::find_if(idms.begin(), idms.end(), [](const QString& idm) {
        return !idm.isEmpty() && isStorableName(idm); // the window refuses other reads
    });
    if (card == idms.end()) return 0;
    const QString name = registry.size() % 2 ? QStringLiteral("職員A") : QStringLiteral("山田, 太郎");
    const DataFolder& folder = scratchFolder();
    {
        QFile out(folder.path(kRegistryFile));
        expect(out.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
                   out.write(registry.data(), qint64(registry.size())) == qint64(registry.size()),
               "the scratch registry cannot be written");
    }
    folder.appendLine(kRegistryFile, quotedLine({*toCp932(*card), *toCp932(name)}));
    const QByteArray after = folder.read(kRegistryFile);
    expect(registeredName(view(after), *card) == name, "a new registration is not read back");
    for (qsizetype j = 0; j < idms.size(); ++j)
        if (idms[j] != *card)
            expect(registeredName(view(after), idms[j]) == before[j],
                   "a new registration changes another card's name");
    return 0;
}

} // namespace velmora::fuzz
