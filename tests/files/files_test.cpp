// The data files under faults made to happen: a full disk, writers on other PCs, and
// files that are not files or are too big to hold.

#include "cards/cards.h"
#include "common/userdata.h"
#include "support/world.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>

using namespace velmora;
using namespace velmora::test;

namespace {

const QByteArray kCard = "0123456789ABCDEF";

// A tmpfs of its own over a folder, in a mount namespace of its own: each test runs in a
// process of its own, so nothing outside sees it. Needs root.
struct Tmpfs {
    QByteArray dir;
    Tmpfs(const QString& path, int kib) : dir(QFile::encodeName(path)) {
        const QByteArray size = "size=" + QByteArray::number(kib) + "k";
        if (unshare(CLONE_NEWNS) != 0 ||
            mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
            mount("tmpfs", dir, "tmpfs", 0, size.constData()))
            dir.clear();
    }
    ~Tmpfs() {
        if (!dir.isEmpty()) umount2(dir, MNT_DETACH);
    }
};

QString failureOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const Failure& failure) {
        return failure.message();
    }
    return "no failure";
}

AttendanceRecord arrival(const QString& name, int n) {
    return {name, "07/01", QString::number(n), kArrival};
}

long peakMemoryKib() {
    std::ifstream status("/proc/self/status");
    for (std::string key; status >> key;)
        if (key == "VmHWM:") return status >> key, std::stol(key);
    return 0;
}

} // namespace

TEST(Files, AnAppendThatDoesNotFitIsTakenBackAndItsReasonNamed) {
    World w;
    const Tmpfs fs(w.dir.path(), 64);
    if (fs.dir.isEmpty()) GTEST_SKIP() << "no file system of the test's own (needs root)";
    const DataFolder files(QDir(w.dir.path()));
    // The record file and the registry each with 13 bytes left in their last page, and no
    // page left on the file system: the next line fits only in part.
    const QByteArray record = sjis("\"Sato\",\"06/30\",\"17:10\",\"退\"\r\n");
    const QByteArray page = QByteArray(4096 - 13 - record.size() - 2, 'x') + "\r\n" + record;
    w.write(kRecordFile, page), w.write(kRegistryFile, page), w.write(kUserDataFile, "\r\n");
    w.write("filler", QByteArray(64 * 1024, '.'));
    const QString full = qt_error_string(ENOSPC);
    struct Case {
        QString file;
        std::function<void()> write;
    } cases[] = {
        {kRecordFile, [&] { appendRecord(files, arrival("Sato", 1)); }},
        {kRegistryFile, [&] { registerCard(files, "Suzuki", kCard); }},
        {kUserDataFile, [&] { writeOwnerName(files, "Suzuki"); }},
    };
    for (const auto& c : cases) {
        const QByteArray before = w.read(c.file);
        EXPECT_TRUE(failureOf(c.write).endsWith(full)) << c.file.toStdString();
        EXPECT_EQ(w.read(c.file), before);
    }
    EXPECT_EQ(findLastRecord(files, "Sato").time, "17:10");
}

TEST(Files, WritersOnSeveralPcsTakeTurnsAndLoseNothing) {
    World w;
    const Tmpfs fs(w.dir.path(), 64 * 1024); // fsync on a disk would take minutes
    if (fs.dir.isEmpty()) GTEST_SKIP() << "no file system of the test's own (needs root)";
    const DataFolder files(QDir(w.dir.path()));
    // Another PC holding the file longer than anyone waits: a fault, and nothing written.
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const pid_t holder = fork();
    if (holder == 0) {
        const int fd = open(QFile::encodeName(files.path(kRecordFile)), O_RDWR | O_CREAT, 0666);
        struct flock whole {};
        whole.l_type = F_WRLCK;
        fcntl(fd, F_SETLKW, &whole), (void)!write(ready[1], "", 1), pause();
    }
    char c;
    ASSERT_EQ(read(ready[0], &c, 1), 1);
    EXPECT_TRUE(
        failureOf([&] { appendRecord(files, arrival("A", 0)); }).endsWith(texts::kFileBusy));
    kill(holder, SIGKILL), waitpid(holder, nullptr, 0);
    EXPECT_EQ(w.read(kRecordFile), "");

    constexpr int kWriters = 4, kEach = 5000;
    for (int writer = 0; writer < kWriters; ++writer)
        if (fork() == 0) {
            for (int n = 0; n < kEach; ++n)
                appendRecord(files, arrival(QString::number(writer), n)); // a fault aborts
            _exit(0);
        }
    for (int status; wait(&status) > 0;) EXPECT_EQ(status, 0);
    // Each writer's lines whole, in its order, each once; no other line, no blank one.
    int next[kWriters] = {};
    const QByteArray all = w.read(kRecordFile);
    for (const QByteArray& line : all.chopped(1).split('\n')) {
        const AttendanceRecord r = lastRecordIn(view(line), QString(QLatin1Char(line.at(1))));
        ASSERT_EQ(line, quotedLine(
                            {r.name.toLatin1(), r.date.toLatin1(), r.time.toLatin1(), sjis(r.kind)})
                            .chopped(1));
        ASSERT_EQ(r.time.toInt(), next[r.name.toInt()]++);
    }
    for (int count : next) EXPECT_EQ(count, kEach);
}

TEST(Files, FilesThatAreNoFilesOrTooBigGiveAMessageOrASkippedLine) {
    const auto fifo = [](const QString& path) { mkfifo(QFile::encodeName(path), 0666); };
    const auto device = [](const QString& path) { // like /dev/zero, which it must not reach
        if (mknod(QFile::encodeName(path), S_IFCHR | 0666, makedev(1, 5)) != 0)
            mkfifo(QFile::encodeName(path), 0666); // only root may make a device
    };
    const auto folder = [](const QString& path) { QDir().mkdir(path); };
    const auto huge = [](const QString& path) { // sparse, without a line end
        QFile file(path);
        (void)file.open(QIODevice::WriteOnly), file.resize(qint64(2) << 30);
    };
    struct Case {
        QString file;
        std::function<void(const QString&)> make;
        bool message; // otherwise the overlong line is skipped
    } cases[] = {
        // clang-format off
        {kUserDataFile, fifo, true}, {kRecordFile, fifo, true}, {kRegistryFile, fifo, true},
        {kUserDataFile, device, true}, {kRegistryFile, device, true}, {kRecordFile, folder, true},
        {kUserDataFile, huge, true}, {kRecordFile, huge, false}, {kRegistryFile, huge, false},
        // clang-format on
    };
    for (const auto& c : cases) {
        World w;
        w.write(kUserDataFile, "\r\n");
        w.write(kRegistryFile, "\"" + kCard + "\",\"Sato\"\r\n");
        QFile::remove(w.dir.filePath(c.file));
        c.make(w.dir.filePath(c.file));
        Terminal t(w.services(), w);
        if (t.start()) w.card = kCard, w.at("8:07:00"), t.clockTick();
        const QString name = c.file == kRecordFile ? "Sato" : ""; // an unregistered card
        EXPECT_EQ(w.messages.value(0).contains('"' + c.file + '"'), c.message)
            << c.file.toStdString();
        if (!c.message) {
            EXPECT_EQ(findLastRecord(w.services().files, name).time, name.isEmpty() ? "" : "8:05");
        }
    }
#ifndef __SANITIZE_ADDRESS__ // whose quarantine holds freed blocks
    EXPECT_LT(peakMemoryKib(), 100 * 1024);
#endif
}
