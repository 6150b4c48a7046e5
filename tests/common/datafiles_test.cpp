#include "clocktext.h"
#include "datafiles.h"
#include "userdata.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;

namespace {

struct Folder {
    QTemporaryDir dir;
    DataFolder files{QDir(dir.path())};
    void write(const QString& name, const QByteArray& bytes) {
        QFile f(dir.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
};

} // namespace

TEST(DataFolder, CreatesMissingFilesAndLeavesExistingOnes) {
    Folder f;
    f.write(kRecordFile, "\"a\",\"07/01\",\"8:05\",\"\x8f\x6f\"\r\n");
    f.files.createIfMissing(kRecordFile);
    f.files.createIfMissing(kRegistryFile);
    EXPECT_EQ(f.files.read(kRecordFile), QByteArray("\"a\",\"07/01\",\"8:05\",\"\x8f\x6f\"\r\n"));
    EXPECT_EQ(f.files.read(kRegistryFile), QByteArray());
    EXPECT_FALSE(f.files.readIfExists(kUserDataFile).has_value());
}

TEST(DataFolder, AppendsWholeLines) {
    Folder f;
    f.files.append(kRecordFile, "one\r\n");
    f.files.append(kRecordFile, "two\r\n");
    EXPECT_EQ(f.files.read(kRecordFile), QByteArray("one\r\ntwo\r\n"));
}

TEST(DataFolder, FaultsNameTheFile) {
    Folder f;
    QDir(f.dir.path()).mkdir(kRecordFile); // a folder where the file should be
    try {
        f.files.append(kRecordFile, "x\r\n");
        FAIL() << "append into a folder succeeded";
    } catch (const Failure& failure) {
        EXPECT_TRUE(failure.message().contains(kRecordFile)) << failure.what();
    }
    EXPECT_THROW(f.files.read(kRegistryFile), Failure);
}

TEST(DataFolder, FullDiskIsAFault) {
    if (!QFile::exists("/dev/full")) GTEST_SKIP();
    Folder f;
    ASSERT_TRUE(QFile::link("/dev/full", f.dir.filePath(kRecordFile)));
    EXPECT_THROW(f.files.append(kRecordFile, "x\r\n"), Failure);
}

TEST(OwnerName, ReadsTheFirstFieldOfTheFirstLine) {
    struct Case {
        QByteArray file;
        std::optional<QString> name;
    } cases[] = {
        {"\x90\x45\x88\xf5\x41\r\n", QStringLiteral("職員A")},
        {"\r\n", QString()},
        {"Tanaka, Ichiro\r\n", QStringLiteral("Tanaka")},
        {"\"Tanaka, Ichiro\"\r\n", QStringLiteral("Tanaka, Ichiro")},
        {"  Sato\r\nsecond\r\n", QStringLiteral("Sato")},
        {"Sato", QStringLiteral("Sato")}, // no final line end
        {"", std::nullopt},               // zero bytes: as if missing
    };
    for (const auto& c : cases) {
        Folder f;
        f.write(kUserDataFile, c.file);
        EXPECT_EQ(readOwnerName(f.files), c.name) << c.file.toStdString();
    }
}

TEST(OwnerName, IsWrittenAsCp932WithCrLf) {
    Folder f;
    writeOwnerName(f.files, QStringLiteral("使用者データ"));
    EXPECT_EQ(f.files.read(kUserDataFile),
              QByteArray("\x8E\x67\x97\x70\x8E\xD2\x83\x66\x81\x5B\x83\x5E\r\n"));
    EXPECT_THROW(writeOwnerName(f.files, QStringLiteral("😀")), Failure);
}

TEST(ClockText, BuildsTheCurrentTimeAndSeconds) {
    struct Case {
        const char* clock;
        const char* now;
        int seconds;
        bool morning;
    } cases[] = {
        {"9:05:03", "09:05", 3, true},   {"09:05:03", "09:05", 3, true},
        {"0:07:00", "00:07", 0, true},   {"11:59:59", "11:59", 59, true},
        {"12:00:00", "12:00", 0, false}, {"23:59:30", "23:59", 30, false},
    };
    for (const auto& c : cases) {
        QString now = currentTimeText(QString::fromLatin1(c.clock));
        EXPECT_EQ(now, QString::fromLatin1(c.now)) << c.clock;
        EXPECT_EQ(secondsValue(QString::fromLatin1(c.clock)), c.seconds) << c.clock;
        EXPECT_EQ(isMorning(now), c.morning) << c.clock;
    }
    EXPECT_EQ(recordDate(QStringLiteral("2026/07/01")), QStringLiteral("07/01"));
}
