// The card registry "利用者Felica.dat": one quoted IDm and name per line, appended only.

#include "cards.h"
#include "cp932.h"
#include "fields.h"
#include "form1.h"
#include "names.h"

#include <algorithm>
#include <functional>

namespace velmora {

QString registeredName(std::string_view registry, const QString& idm) {
    // The comparison is on the file's bytes: the IDm is encoded once, and only the name of
    // the last match is decoded. The lookup runs on every clock tick.
    const std::optional<QByteArray> key = toCp932(idm);
    if (!key) return {}; // no line of a CP932 file can hold it
    const std::string_view wanted = view(*key);

    std::string_view name;
    bool found = false;
    // One registration per line: a line the program did not write whole (blank, or an IDm
    // without a name) is passed over instead of pairing fields across lines.
    auto consider = [&](std::string_view line) {
        if (!firstFieldIs(line, wanted)) return;
        FieldReader fields(line);
        fields.next();
        if (fields.atEnd()) return;
        name = fields.next(); // only matching lines get their name read
        found = true;
    };
    if (wanted.empty()) {
        // No card: every line is looked at.
        LineReader lines(registry);
        std::string_view line;
        while (lines.next(line)) consider(line);
    } else if (wanted.find_first_of("\r\n") == std::string_view::npos) {
        // Only a line holding the IDm can register it: the search skips from one place of
        // it to the next, and only the lines there are split off and read. (An IDm with a
        // line break in it lies on no line.)
        const std::boyer_moore_horspool_searcher search(wanted.begin(), wanted.end());
        auto isLineEnd = [](char c) { return c == '\r' || c == '\n'; };
        for (auto from = registry.begin();;) {
            const auto hit = std::search(from, registry.end(), search);
            if (hit == registry.end()) break;
            auto start = hit;
            while (start != registry.begin() && !isLineEnd(start[-1])) --start;
            const auto end = std::find_if(hit, registry.end(), isLineEnd);
            consider(std::string_view(&*start, size_t(end - start)));
            from = end;
        }
    }
    if (!found) return {};
    // A name edited in by hand that no record could hold (invalid bytes, a quote) would make
    // the arrival fail; such a card counts as unregistered.
    QString decoded = fromCp932(name);
    return isStorableName(decoded) ? decoded : QString();
}

QString Felica(Form1& form, const QString& idm) {
    Services& services = form.services();
    const QByteArray registry = services.files.read(kRegistryFile);
    const QString name = registeredName(view(registry), idm);
    if (!name.isEmpty()) {
        services.beeper.beep();
        form.動作状態->setText(QString());
    }
    return name;
}

QString Felica(Form1& form) {
    return Felica(form, readIdm(form.services().cardLibrary));
}

} // namespace velmora
