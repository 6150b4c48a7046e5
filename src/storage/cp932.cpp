#include "storage/cp932.h"

#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <iconv.h>
#endif

namespace velmora {

#ifdef _WIN32

namespace {

bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Bytes that are no CP932 character but that Windows still maps: 0x80 onto U+0080, and 0xA0 and
// 0xFD to 0xFF onto private-use characters where MB_ERR_INVALID_CHARS is not given. iconv refuses
// them, and so does this.
bool isStrayByte(unsigned char c) { return c == 0x80 || c == 0xA0 || c >= 0xFD; }

std::optional<QByteArray> encode(const QString& text) {
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    BOOL lossy = FALSE;
    const int size = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), nullptr,
                                         0, nullptr, &lossy);
    if (size <= 0 || lossy) return std::nullopt;
    QByteArray out(size, '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), out.data(), size,
                        nullptr, &lossy);
    if (lossy) return std::nullopt;
    return out;
}

// nullopt when any sequence is refused.
std::optional<QString> decodeStrictly(std::string_view bytes) {
    const int size =
        MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()), nullptr, 0);
    if (size <= 0) return std::nullopt;
    QString out(size, QChar());
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), int(bytes.size()),
                        reinterpret_cast<wchar_t*>(out.data()), size);
    return out;
}

} // namespace

QString fromCp932(std::string_view bytes) {
    if (bytes.empty()) return {};
    if (std::none_of(bytes.begin(), bytes.end(), [](char c) { return isStrayByte(c); }))
        if (auto whole = decodeStrictly(bytes)) return *whole;
    // One character at a time, as iconv's replacement on Linux goes: a refused sequence gives
    // U+FFFD for its first byte, and the next byte starts afresh.
    QString out;
    out.reserve(qsizetype(bytes.size()));
    for (size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        const size_t length = isLeadByte(c) && i + 1 < bytes.size() ? 2 : 1;
        const auto one = isStrayByte(c) ? std::nullopt : decodeStrictly(bytes.substr(i, length));
        out += one ? *one : QStringLiteral("\uFFFD");
        i += one ? length : 1;
    }
    return out;
}

#else

namespace {

// One converter per direction and thread; iconv_open is too slow to call per field.
class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;
    iconv_t get() {
        iconv(cd_, nullptr, nullptr, nullptr, nullptr); // back to the initial state
        return cd_;
    }

private:
    iconv_t cd_;
};

iconv_t encoder() {
    thread_local Converter c("CP932", "UTF-16LE");
    return c.get();
}

iconv_t decoder() {
    thread_local Converter c("UTF-16LE", "CP932");
    return c.get();
}

std::optional<QByteArray> encode(const QString& text) {
    iconv_t cd = encoder();
    auto* in = const_cast<char*>(reinterpret_cast<const char*>(text.utf16()));
    size_t inLeft = size_t(text.size()) * 2;
    QByteArray out(text.size() * 2, '\0'); // CP932 needs at most two bytes per UTF-16 unit
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == size_t(-1)) return std::nullopt;
    out.truncate(int(outPtr - out.data()));
    return out;
}

} // namespace

QString fromCp932(std::string_view bytes) {
    if (bytes.empty()) return {};
    iconv_t cd = decoder();
    auto* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    QString out(qsizetype(bytes.size()), QChar()); // never more units than bytes
    auto* outStart = reinterpret_cast<char*>(out.data());
    char* outPtr = outStart;
    size_t outLeft = size_t(out.size()) * 2;
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != size_t(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) break;
        // Replace the offending byte and resynchronise on the next one.
        const char16_t replacement = 0xFFFD;
        std::memcpy(outPtr, &replacement, 2);
        outPtr += 2;
        outLeft -= 2;
        ++in;
        --inLeft;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.truncate(qsizetype((outPtr - outStart) / 2));
    return out;
}

#endif

std::optional<QByteArray> toCp932(const QString& text) {
    if (text.isEmpty()) return QByteArray();
    auto out = encode(text);
    // Both converters map a few characters CP932 lacks onto others: iconv ¥ onto the backslash,
    // 〜 onto the full-width tilde, − onto the full-width hyphen-minus; Windows U+0080 and
    // U+F8F0 to U+F8F3 onto bytes that are no character. Stored, they would read back as other
    // characters, so they count as unencodable.
    if (!out || fromCp932(std::string_view(out->constData(), size_t(out->size()))) != text)
        return std::nullopt;
    return out;
}

} // namespace velmora
