#include "report/nearestname.h"

#include <algorithm>
#include <vector>

namespace velmora {

QString nameKey(const QString& name) {
    QString key = name.normalized(QString::NormalizationForm_KC);
    key.removeIf([](QChar c) { return c.isSpace(); });
    return key;
}

namespace {

// Characters added, removed or replaced, given up once above `limit`.
qsizetype distance(const QString& a, const QString& b, qsizetype limit) {
    if (std::abs(a.size() - b.size()) > limit) return limit + 1;
    std::vector<qsizetype> row(size_t(b.size()) + 1);
    for (qsizetype j = 0; j <= b.size(); ++j) row[size_t(j)] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0], least = row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[size_t(j)];
            row[size_t(j)] = std::min(
                {above + 1, row[size_t(j) - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
            least = std::min(least, row[size_t(j)]);
        }
        if (least > limit) return limit + 1;
    }
    return row.back();
}

} // namespace

std::optional<QString> nearestName(const QString& name, const QStringList& names) {
    if (names.contains(name)) return std::nullopt;
    const QString key = nameKey(name);
    if (key.isEmpty()) return std::nullopt;
    qsizetype best = std::max<qsizetype>(1, key.size() / 3);
    std::optional<QString> nearest;
    for (const QString& other : names) {
        const qsizetype d = distance(key, nameKey(other), best);
        if (d == 0) return other;
        if (d < best || (d == best && !nearest)) {
            best = d;
            nearest = other;
        }
    }
    return nearest;
}

} // namespace velmora
