// The virtual card file (VELMORA_CARD_FILE) read through the real library, and the binding's
// faults. Each read goes into 1024 zero bytes and a terminating zero, with guard bytes behind.

#include "cardreader/sonyidmlibrary.h"

#include <gmock/gmock.h>

#include <QFile>
#include <QTemporaryDir>

#include <optional>

#ifndef _WIN32
#include <sys/stat.h>
#endif

TEST(CardFile, FirstLineIsTheIdmReadAfreshEachTime) {
    QTemporaryDir dir;
    const QString card = dir.filePath(QStringLiteral("カード.txt"));
#ifdef _WIN32
    // Wide, as Windows keeps the environment: a narrow one passes through the C runtime's locale.
    _wputenv_s(L"VELMORA_CARD_FILE", reinterpret_cast<const wchar_t*>(card.utf16()));
#else
    qputenv("VELMORA_CARD_FILE", QFile::encodeName(card));
#endif
    velmora::SonyIdmLibrary library{QStringLiteral(SONY_IDM_PATH)};
    // clang-format off
    const std::string idm = "0123456789ABCDEF", bom = "\xEF\xBB\xBF", x(3000, 'X'), guard(64, 'Z');
    // What the file holds (nullopt: no file) and what is read ("": no card), in this order.
    const std::pair<std::optional<std::string>, std::string> cases[] = {
        {idm + "\r\n", idm}, {"FEDCBA98\n", "FEDCBA98"}, {std::nullopt, ""}, {idm, idm}, {"", ""},
        {idm + "99\r\n", idm + "99"}, {"1111\r\n" + idm, "1111"}, {bom + idm + "\n", idm},
        {x, x.substr(0, 1024)}, {bom + x, x.substr(0, 1024)}, {"\r\n" + idm, ""}};
    // clang-format on
    for (const auto& [in, out] : cases) {
        QFile::remove(card);
        if (QFile f(card); in && f.open(QIODevice::WriteOnly)) f.write(in->data(), in->size());
        std::string buffer = std::string(1025, '\0') + guard;
        EXPECT_EQ(library.getIdm(12960, buffer.data()), out.empty() ? -1 : int(out.size())) << out;
        EXPECT_EQ(buffer, out + std::string(1025 - out.size(), '\0') + guard);
    }
#ifndef _WIN32
    QFile::remove(card);
    mkfifo(QFile::encodeName(card), 0600); // never written to: an open that waits would hang
    char buffer[1025];
    EXPECT_EQ(library.getIdm(12960, buffer), -1);
#endif
}

TEST(SonyIdmLibrary, MissingLibraryOrEntryPointThrowsFailureNamingTheError) {
    // clang-format off
    for (const auto& [path, error] : {std::pair{"/none/libnone.so", "読み込めません: /none/libnone.so"},
                                      {NO_ENTRY_PATH, "get_idm がありません: " NO_ENTRY_PATH}})
        EXPECT_THAT([&] { velmora::SonyIdmLibrary(path).getIdm(12960, nullptr); },
                    testing::ThrowsMessage<velmora::Failure>(testing::HasSubstr(error)));
    // clang-format on
}
