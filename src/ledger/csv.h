#pragma once
// The pieces the three files share: their lines in either encoding, a line's fields, and a
// line as Velmora writes it.

#include "storage/times.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace velmora::ledger {

// One line on its own: UTF-8 when it is valid UTF-8, CP932 otherwise, so that a file an
// editor saved in one and a PC appended to in the other reads whole.
QString decodeLine(QByteArrayView line);

// Each line of the bytes without its line end (LF or CR LF), a UTF-8 byte-order mark at the
// start dropped; `each(number from 1, line)`.
template <class Each> void eachLine(QByteArrayView bytes, Each&& each) {
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes = bytes.sliced(3);
    int number = 0;
    while (!bytes.isEmpty()) {
        qsizetype end = bytes.indexOf('\n');
        QByteArrayView line = end < 0 ? bytes : bytes.first(end);
        bytes = end < 0 ? QByteArrayView() : bytes.sliced(end + 1);
        if (line.endsWith('\r')) line.chop(1);
        each(++number, line);
    }
}

// RFC 4180 within one line: "" inside quotes for a quote; spaces around a field dropped
// unless quoted. nullopt when a quote is left open, text follows a closing one, or a quote
// stands inside an unquoted field.
std::optional<QStringList> splitFields(QStringView line);
// A line that holds nothing: blank, or only the commas of a row Excel kept for its format.
bool isEmptyRow(const QStringList& fields);

// A control character (a NUL, an escape, any below a space, DEL) in a name would reach
// the sheets and the XLSX, where it is no text.
bool hasControl(QStringView text);
// Whether Velmora can write the text into a quoted CP932 field and read it back the same.
bool writable(const QString& text);
// The fields quoted, commas between, CR LF at the end, in CP932 (UTF-8 when `utf8`);
// nullopt for a text CP932 cannot hold.
std::optional<QByteArray> quotedLine(const QStringList& fields, bool utf8 = false);
inline std::optional<QByteArray> quotedCp932(const QStringList& fields) {
    return quotedLine(fields);
}

// Appends to the folder's file `name` what `lines(utf8)` gives, locked and on the disk as the
// terminals' records are, whole or not at all, after a line end when the file lacks one;
// `utf8` tells whether the file is UTF-8 (see appendEntry). Throws Failure.
void appendLines(const QString& folder, const QString& name,
                 const std::function<QByteArray(bool utf8)>& lines);

} // namespace velmora::ledger
