// One read of the card reader: the library writes the IDm text into a zero-filled buffer.

#include "cards.h"
#include "cp932.h"

#include <array>

namespace velmora {

namespace {
constexpr int32_t kReadMode = 12960;
constexpr size_t kBufferSize = 1024;
constexpr qsizetype kIdmLength = 16;
} // namespace

QString ReadCardIdm(CardLibrary& library) {
    // 1024 zero bytes and one more as terminator: the library stays within the 1024, and
    // zero-filling spares it from terminating what it writes.
    std::array<char, kBufferSize + 1> buffer{};
    const int32_t result = library.get_idm(kReadMode, buffer.data());
    // All 1024 bytes, the NULs after the IDm included: callers rely on a short IDm being
    // padded with NULs rather than cut.
    QString text = fromCp932(std::string_view(buffer.data(), kBufferSize));
    if (result < 0) return {};
    return text;
}

QString readIdm(CardLibrary& library) {
    return ReadCardIdm(library).left(kIdmLength);
}

} // namespace velmora
