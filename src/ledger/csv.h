#pragma once
// The pieces the three files share: their text in either encoding, their lines as fields,
// their dates and times, and a line as Velmora writes it.

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace velmora::ledger {

// UTF-8 when the bytes are valid UTF-8 (a byte-order mark dropped), CP932 otherwise.
QString decodeText(const QByteArray& bytes);

struct CsvLine {
    int number = 0;     // from 1
    QStringList fields; // empty for a line whose quotes do not pair
    bool malformed = false;
};
// The lines that hold anything, but for a header whose first field is `header`.
QList<CsvLine> csvLines(const QString& text, const QString& header);

// "7:45", "07:45", "7:45:00": minutes from 0:00, 0 to 24:00; nullopt otherwise.
std::optional<int> parseTime(QString text);
// "2026-04-01" or "2026/4/1", 2000 to 2099.
std::optional<QDate> parseDate(QString text);
// "2026-07-09 10:12" or "2026/7/9 10:12".
std::optional<QDateTime> parseWritten(const QString& text);

QString timeText(int minutes); // "7:45"; "" for -1
QString dateText(QDate date);  // "2026-04-01"; "" for an invalid date
QString writtenText(const QDateTime& written);

// Whether Velmora can write the text into a quoted CP932 field and read it back the same.
bool writable(const QString& text);
// The fields quoted, commas between, CR LF at the end, in CP932; nullopt for a text
// CP932 cannot hold.
std::optional<QByteArray> quotedCp932(const QStringList& fields);

} // namespace velmora::ledger
