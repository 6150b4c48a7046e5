#pragma once
// Failures print Qt's texts and bytes as text, also a C string compared with them (not its
// address).

#include <QByteArray>
#include <QString>
#include <gtest/gtest.h>
#include <ostream>

inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* os) {
    *os << '"' << bytes.toStdString() << '"';
}

namespace testing::internal {
template <> class FormatForComparison<const char*, QString> {
public:
    static std::string Format(const char* text) { return PrintToString(text); }
};
template <> class FormatForComparison<const char*, QByteArray> {
public:
    static std::string Format(const char* text) { return PrintToString(text); }
};
} // namespace testing::internal
