#pragma once
// Reading and writing the comma-separated lines of the data files.
//
// Reading follows the files' rules: leading spaces are skipped; a quoted field runs to the
// next double quote (what follows it up to the comma is dropped); an unquoted field runs to
// the next comma, without trailing spaces. Work is done on the raw CP932 bytes: no CP932
// trail byte is a quote, comma, space, CR or LF, so splitting before decoding is safe.

#include <QByteArray>
#include <QByteArrayView>
#include <initializer_list>
#include <string_view>

namespace velmora {

// The first line of the data, without its line end.
std::string_view firstLine(std::string_view data);

// Editors on Windows may start a file with a UTF-8 byte-order mark; it is no part of the
// first line's first field.
inline std::string_view withoutByteOrderMark(std::string_view data) {
    constexpr std::string_view kMark = "\xEF\xBB\xBF";
    return data.substr(0, kMark.size()) == kMark ? data.substr(kMark.size()) : data;
}

// Reads the fields of one line (without its line end). A blank line has no fields.
class FieldReader {
public:
    explicit FieldReader(std::string_view line)
        : line_(line), pos_(line.empty() ? std::string_view::npos : 0) {}
    bool atEnd() const { return pos_ == std::string_view::npos; }
    std::string_view next();

private:
    std::string_view line_;
    size_t pos_;
};

// Whether the line has fields and the first is `value`: what FieldReader would answer,
// but a line whose start already differs is not read further. Lookups compare the first
// field of every line of a file against one name or IDm, and nearly all differ.
bool firstFieldIs(std::string_view line, std::string_view value);

// Reads up to `count` fields of a line into `out`; returns how many were there.
size_t readFields(std::string_view line, std::string_view* out, size_t count);

// One line as the program writes it: every field quoted, commas between, CR LF at the end.
QByteArray quotedLine(std::initializer_list<QByteArrayView> cp932Fields);

inline std::string_view view(const QByteArray& bytes) {
    return {bytes.constData(), size_t(bytes.size())};
}

} // namespace velmora
