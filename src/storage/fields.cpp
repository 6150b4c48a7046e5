#include "storage/fields.h"

#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace velmora {

namespace {

// The first double quote from `p` on, or `end`; 16 bytes a step where the processor can.
const char* nextQuote(const char* p, const char* end) {
#ifdef __SSE2__
    const __m128i quote = _mm_set1_epi8('"');
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        const int hits = _mm_movemask_epi8(_mm_cmpeq_epi8(v, quote));
        if (hits != 0) return p + __builtin_ctz(unsigned(hits));
    }
#endif
    while (p < end && *p != '"') ++p;
    return p;
}

} // namespace

std::string_view firstLine(std::string_view data) {
    return data.substr(0, data.find_first_of("\r\n"));
}

std::string_view FieldReader::next() {
    if (atEnd()) return {};
    size_t p = pos_;
    while (p < line_.size() && line_[p] == ' ') ++p;

    std::string_view value;
    size_t afterValue;
    if (p < line_.size() && line_[p] == '"') {
        size_t close = line_.find('"', p + 1);
        if (close == std::string_view::npos) close = line_.size();
        value = line_.substr(p + 1, close - p - 1);
        afterValue = close + 1;
    } else {
        size_t comma = line_.find(',', p);
        if (comma == std::string_view::npos) comma = line_.size();
        value = line_.substr(p, comma - p);
        while (!value.empty() && value.back() == ' ') value.remove_suffix(1);
        afterValue = comma;
    }

    size_t comma = afterValue < line_.size() ? line_.find(',', afterValue) : std::string_view::npos;
    pos_ = comma == std::string_view::npos ? std::string_view::npos : comma + 1;
    return value;
}

bool firstFieldIs(std::string_view line, std::string_view value) {
    size_t p = 0;
    while (p < line.size() && line[p] == ' ') ++p;
    const bool quoted = p < line.size() && line[p] == '"';
    if (quoted) ++p;
    // Quoted or not, the field's value starts at p: a field equal to `value` starts with it.
    if (line.size() - p < value.size() || line.substr(p, value.size()) != value) return false;
    // A quoted value runs to the next quote or the line's end, so it must stop right there.
    if (quoted) {
        const size_t end = p + value.size();
        return (end == line.size() || line[end] == '"') &&
               value.find('"') == std::string_view::npos;
    }
    FieldReader fields(line);
    return !fields.atEnd() && fields.next() == value;
}

size_t readFields(std::string_view line, std::string_view* out, size_t count) {
    // A line as quotedLine() writes it takes one search per field: each field starts with a
    // quote and its closing quote is followed by a comma or the line's end, where
    // FieldReader reads the same. Any other line is read by FieldReader from its start.
    const char* p = line.data();
    const char* const end = p + line.size();
    size_t n = 0;
    while (n < count && p < end && *p == '"') {
        const char* close = nextQuote(p + 1, end);
        if (close == end || (close + 1 < end && close[1] != ',')) break;
        out[n++] = {p + 1, size_t(close - p - 1)};
        if (close + 1 == end) return n;
        p = close + 2;
    }
    if (n == count) return n;
    FieldReader reader(line);
    n = 0;
    while (n < count && !reader.atEnd()) out[n++] = reader.next();
    return n;
}

QByteArray quotedLine(std::initializer_list<QByteArrayView> cp932Fields) {
    QByteArray line;
    for (QByteArrayView field : cp932Fields) {
        if (!line.isEmpty()) line += ',';
        line += '"';
        line += field;
        line += '"';
    }
    line += "\r\n";
    return line;
}

} // namespace velmora
