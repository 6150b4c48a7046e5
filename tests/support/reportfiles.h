#pragma once
// The hand-made files of two terminals (DATA: tests/report/data) and the figures expected of
// them, for the tests of the saved files and of the window.

#include <QDate>
#include <QFile>
#include <QStringList>

namespace velmora::test {

inline const QStringList kTerminals = {DATA "/terminal1.dat", DATA "/terminal2.dat"};

inline QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Modified early on that day when one is given.
inline void write(const QString& path, const QByteArray& bytes, QDate modified = {}) {
    QFile file(path);
    (void)(file.open(QIODevice::WriteOnly) && file.write(bytes) >= 0 && file.flush() &&
           (!modified.isValid() ||
            file.setFileTime(modified.startOfDay(), QFileDevice::FileModificationTime)));
}

// The golden summary's rows: the name, then its figures up to the flags.
inline QList<QStringList> goldenSummary() {
    QList<QStringList> rows;
    for (const QByteArray& line : contents(DATA "/expected_集計.csv").split('\n').mid(1, 2)) {
        const QStringList cells = QString::fromUtf8(line).remove(u'"').trimmed().split(u',');
        rows << QStringList{cells.mid(0, cells.size() - 8).join(u',')} +
                    cells.mid(cells.size() - 8, 6); // not 所定 and 締め, last
    }
    return rows;
}

} // namespace velmora::test
