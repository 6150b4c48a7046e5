#pragma once
// The data files are CP932 (Shift-JIS); every conversion goes through here.

#include <QByteArray>
#include <QString>
#include <optional>
#include <string_view>

namespace velmora {

// nullopt when the text holds a character CP932 cannot encode.
std::optional<QByteArray> toCp932(const QString& text);

// Never fails: each byte that is not valid CP932 becomes U+FFFD.
QString fromCp932(std::string_view bytes);

inline bool cp932CanHold(const QString& text) { return toCp932(text).has_value(); }

} // namespace velmora
