// The nearest record name to one typed, as the entry dialog and the staff list warn with it.

#include "report/nearestname.h"

#include <gtest/gtest.h>

using namespace velmora;

TEST(NearestName, SpacesWidthAndOneCharacterOff) {
    // clang-format off
    const struct { const char* typed; QStringList names; const char* nearest; } cases[] = {
        {"佐藤健", {"鈴木一郎", "佐藤　健"}, "佐藤　健"},
        {"佐藤 健", {"佐藤健"}, "佐藤健"},
        {"ＴＡＮＡＫＡ", {"TANAKA"}, "TANAKA"},
        {"佐藤建", {"佐藤健"}, "佐藤健"},
        {"田中一", {"田中二郎", "田中一郎"}, "田中一郎"},
        {"田中", {"田村", "田口"}, "田村"},
        {"佐藤健", {"佐藤健", "佐藤　健"}, ""},
        {"山田", {"佐藤健"}, ""},
        {"高橋", {"高橋 太郎次"}, ""},
        {"", {"佐藤健"}, ""}};
    // clang-format on
    for (const auto& c : cases)
        EXPECT_EQ(nearestName(c.typed, c.names).value_or(""), c.nearest) << c.typed;
}
