#include "common/cp932.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#include <iconv.h>
#endif

namespace velmora {

#ifdef _WIN32

std::optional<QByteArray> toCp932(const QString& text) {
    if (text.isEmpty()) return QByteArray();
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    BOOL lossy = FALSE;
    int size = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), nullptr, 0,
                                   nullptr, &lossy);
    if (size <= 0 || lossy) return std::nullopt;
    QByteArray out(size, '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), out.data(), size,
                        nullptr, &lossy);
    if (lossy) return std::nullopt;
    return out;
}

QString fromCp932(std::string_view bytes) {
    if (bytes.empty()) return {};
    int size = MultiByteToWideChar(932, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    QString out(size, QChar());
    MultiByteToWideChar(932, 0, bytes.data(), int(bytes.size()),
                        reinterpret_cast<wchar_t*>(out.data()), size);
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

} // namespace

std::optional<QByteArray> toCp932(const QString& text) {
    if (text.isEmpty()) return QByteArray();
    iconv_t cd = encoder();
    auto* in = const_cast<char*>(reinterpret_cast<const char*>(text.utf16()));
    size_t inLeft = size_t(text.size()) * 2;
    QByteArray out(text.size() * 2, '\0'); // CP932 needs at most two bytes per UTF-16 unit
    char* outPtr = out.data();
    size_t outLeft = size_t(out.size());
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == size_t(-1)) return std::nullopt;
    out.truncate(int(outPtr - out.data()));
    // iconv also maps a few characters CP932 lacks onto their look-alikes (¥ onto the
    // backslash, 〜 onto the full-width tilde, − onto the full-width hyphen-minus): stored,
    // they would read back as other characters, so they count as unencodable, as on Windows.
    if (fromCp932(std::string_view(out.constData(), size_t(out.size()))) != text)
        return std::nullopt;
    return out;
}

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

} // namespace velmora
