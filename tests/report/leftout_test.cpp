// A record file that cannot be read or dated, left out of the report when the caller lists
// faults file by file (the window), or failing the whole report when it does not (the command).

#include "report/report.h"
#include "storage/datafiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace velmora;

TEST(LeftOut, OneBadFileIsOneFile) {
    QTemporaryDir dir;
    const QString good = dir.filePath("good.dat"), far = dir.filePath("far.dat");
    for (const auto& [path, name, year] :
         {std::tuple(good, "A", 2025), std::tuple(far, "C", 2031)}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("\"") + name + "\",\"12/01\",\"8:00\",\"\x8f\x6f\"\r\n\"" + name +
                   "\",\"12/01\",\"17:00\",\"\x91\xde\"\r\n");
        ASSERT_TRUE(file.flush() && file.setFileTime(QDateTime(QDate(year, 12, 2), QTime(8, 0)),
                                                     QFileDevice::FileModificationTime));
    }
    ASSERT_TRUE(QFile::link(good, dir.filePath("x.dat")));
    // clang-format off
    const struct { const char* name; bool listed; int farYear; const char* teachers, *faults; } cases[] = {
        {"the whole report fails", false, 0, "", ""},
        {"left out", true, 0, "A", "far.dat undated, x.dat"},
        {"the far file's year given", true, 2025, "A C", "x.dat"}};
    // clang-format on
    for (const auto& c : cases) {
        QList<FileFault> faults;
        ReportRequest request;
        request.files = {far, good, dir.filePath("x.dat")};
        request.month = QDate(2025, 12, 1);
        request.today = QDate(2026, 12, 8);
        request.fileFaults = c.listed ? &faults : nullptr;
        if (c.farYear) request.lastYears[far] = c.farYear;
        QStringList teachers, left;
        try {
            for (const TeacherMonth& t : buildReport(request).teachers) teachers << t.name;
        } catch (const Failure&) {
        }
        for (const FileFault& f : faults)
            left << QFileInfo(f.path).fileName() + (f.undated ? " undated" : "");
        EXPECT_EQ(teachers.join(u' '), c.teachers) << c.name;
        EXPECT_EQ(left.join(", "), c.faults) << c.name;
    }
}
