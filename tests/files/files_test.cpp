// The data files under faults made to happen: a full disk, a failed flush, writers on other
// PCs, and files that are not files or are too big to hold.

#include "cards/cards.h"
#include "recordchain/chaincheck.h"
#include "storage/filecalls.h"
#include "storage/outputfiles.h"
#include "support/tmpfs.h"
#include "support/world.h"
#include "terminal/userdata.h"

#include <csignal>
#include <fcntl.h>
#include <gmock/gmock.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace velmora;
using namespace velmora::test;

namespace {

const QByteArray kCard = "0123456789ABCDEF";

// Throws a Failure whose message ends with `reason`.
auto failsWith(const QString& reason) {
    return testing::ThrowsMessage<Failure>(testing::EndsWith(reason.toStdString()));
}

AttendanceRecord arrival(const QString& name, int n) {
    return {name, "07/01", QString::number(n), kArrival};
}

// The file calls made, in their order: the doubles below note each before making it, those on
// a chain file as "chain:".
QStringList made;

bool onChain(int fd) {
    return QFile::symLinkTarget(QStringLiteral("/proc/self/fd/%1").arg(fd)).endsWith(".chain");
}
QString note(int fd, const char* call) { return (onChain(fd) ? "chain:" : "") + QString(call); }

FileCalls noted() {
    FileCalls calls;
    calls.lock = [](int fd, int how, struct flock* range) {
        made << (how == F_SETLKW ? "wait" : "lock");
        return lockRange(fd, how, range);
    };
    calls.write = [](int fd, const void* bytes, size_t n) {
        made << note(fd, "write");
        return ::write(fd, bytes, n);
    };
    calls.fsync = [](int fd) { return made << note(fd, "fsync"), ::fsync(fd); };
    calls.ftruncate = [](int fd, off_t size) {
        return made << note(fd, "truncate"), ::ftruncate(fd, size);
    };
    calls.close = [](int fd) { return made << note(fd, "close"), ::close(fd); };
    return calls;
}

} // namespace

TEST(Files, AnAppendIsLockedWrittenAndFlushedOrTakenBackWhole) {
    using namespace std::chrono_literals;
    const auto fullDisk = [](FileCalls& calls) { // half the line fits
        calls.write = [](int fd, const void* bytes, size_t n) -> ssize_t {
            made << "write";
            return made.count("write") > 1 ? (errno = ENOSPC, -1) : ::write(fd, bytes, n / 2);
        };
    };
    const auto flushFails = [](FileCalls& calls) {
        calls.fsync = [](int) { return made << "fsync", errno = EIO, -1; };
    };
    // Another PC holds the lock past the wait, whose clock runs a second at every look.
    const auto lockHeld = [](FileCalls& calls) {
        calls.lock = [](int, int how, struct flock*) {
            made << (how == F_SETLKW ? "wait" : "lock");
            return errno = how == F_SETLKW ? EINTR : EAGAIN, -1;
        };
        calls.now = [] {
            static int looks = 0;
            return std::chrono::steady_clock::time_point{} + ++looks * 1s;
        };
        calls.timerCreate = [](clockid_t, sigevent*, timer_t*) { return 0; };
        calls.timerSettime = [](timer_t, int, const itimerspec*, itimerspec*) { return 0; };
        calls.timerDelete = [](timer_t) { return 0; };
    };
    const std::tuple<const char*, void (*)(FileCalls&), QString, const char*> cases[] = {
        // The chain after the record, before the record file's close gives up the lock.
        {"a good append", [](FileCalls&) {}, "",
         "lock write fsync chain:write chain:fsync chain:close close"},
        {"a full disk", fullDisk, "No space left on device",
         "lock write write truncate fsync close"},
        {"a failed flush", flushFails, qt_error_string(EIO),
         "lock write fsync truncate fsync close"},
        {"the lock held", lockHeld, texts::kFileBusy, "lock wait close"},
    };
    for (const auto& [name, fault, reason, calls] : cases) {
        World w;
        w.write(kRecordFile, sjis("\"Sato\",\"06/30\",\"17:10\",\"退\"\r\n"));
        const QByteArray before = w.read(kRecordFile);
        FileCalls doubles = noted();
        fault(doubles);
        const DataFolder files(QDir(w.dir.path()), std::make_shared<const FileCalls>(doubles));
        made.clear();
        if (reason.isEmpty())
            appendRecord(files, arrival("Sato", 1));
        else
            EXPECT_THAT([&] { appendRecord(files, arrival("Sato", 1)); }, failsWith(reason))
                << name;
        EXPECT_EQ(made.join(' ').toStdString(), calls) << name;
        EXPECT_EQ(w.read(kRecordFile) == before, !reason.isEmpty()) << name;
    }
}

TEST(Files, AnAppendThatDoesNotFitIsTakenBackAndItsReasonNamed) {
    World w;
    const Tmpfs fs(w.dir.path(), "size=64k");
    if (fs.dir.isEmpty()) GTEST_SKIP() << "no file system of the test's own (needs root)";
    const DataFolder files(QDir(w.dir.path()));
    // The record file and the registry each with 13 bytes left in their last page, and no
    // page left on the file system: the next line fits only in part.
    const QByteArray record = sjis("\"Sato\",\"06/30\",\"17:10\",\"退\"\r\n");
    const QByteArray page = QByteArray(4096 - 13 - record.size() - 2, 'x') + "\r\n" + record;
    w.write(kRecordFile, page), w.write(kRegistryFile, page), w.write(kUserDataFile, "\r\n");
    w.write("filler", QByteArray(64 * 1024, '.'));
    const QString full = qt_error_string(ENOSPC);
    const QByteArray before = w.read(kRecordFile) + w.read(kRegistryFile) + w.read(kUserDataFile);
    EXPECT_THAT([&] { appendRecord(files, arrival("Sato", 1)); }, failsWith(full));
    EXPECT_THAT([&] { registerCard(files, "Suzuki", kCard); }, failsWith(full));
    EXPECT_THAT([&] { writeOwnerName(files, "Suzuki"); }, failsWith(full));
    EXPECT_EQ(w.read(kRecordFile) + w.read(kRegistryFile) + w.read(kUserDataFile), before);
    EXPECT_EQ(findLastRecord(files, "Sato").time, "17:10");
}

TEST(Files, WritersOnSeveralPcsTakeTurnsAndLoseNothing) {
    World w;
    const Tmpfs fs(w.dir.path(), "size=64m"); // fsync on a disk would take minutes
    if (fs.dir.isEmpty()) GTEST_SKIP() << "no file system of the test's own (needs root)";
    const DataFolder files(QDir(w.dir.path()));
    constexpr int kWriters = 4, kEach = 5000;
    for (int writer = 0; writer < kWriters; ++writer)
        if (fork() == 0) {
            for (int n = 0; n < kEach; ++n)
                appendRecord(files, arrival(QString::number(writer), n)); // a fault aborts
            _exit(0);
        }
    for (int status; wait(&status) > 0;) EXPECT_EQ(status, 0);
    // Every line whole and there once; no other line, no blank one.
    QByteArrayList lines = w.read(kRecordFile).split('\n'), expected = {""};
    for (int writer = 0; writer < kWriters; ++writer)
        for (int n = 0; n < kEach; ++n)
            expected << quotedLine({QByteArray::number(writer), "07/01", QByteArray::number(n),
                                    sjis(kArrival)})
                            .chopped(1);
    std::sort(lines.begin(), lines.end()), std::sort(expected.begin(), expected.end());
    EXPECT_TRUE(lines == expected);
    EXPECT_EQ(checkChain(w.dir.filePath(kRecordFile)).kind, ChainFinding::Kind::Intact);
}

// The chain's append fails after the record's: the record stands, and the next append chains
// it first, marked late, as it does an older terminal's records.
TEST(Files, ARecordTheChainLacksIsChainedLateByTheNext) {
    World w;
    w.write(kRecordFile, sjis("\"Sato\",\"06/30\",\"17:10\",\"退\"\r\n"));
    FileCalls chainFull;
    chainFull.write = [](int fd, const void* bytes, size_t n) {
        return onChain(fd) ? (errno = ENOSPC, -1) : ::write(fd, bytes, n);
    };
    const DataFolder files(QDir(w.dir.path())),
        failing(QDir(w.dir.path()), std::make_shared<FileCalls>(chainFull));
    EXPECT_NO_THROW(appendRecord(failing, arrival("Sato", 1)));
    EXPECT_EQ(findLastRecord(files, "Sato").time, "1");
    EXPECT_EQ(w.read("Velmora.chain"), "");
    appendRecord(files, arrival("Sato", 2));
    const QByteArrayList links = w.read("Velmora.chain").split('\n');
    EXPECT_EQ(links.size(), 4); // and the empty piece after the last
    for (int n = 0; n < 3; ++n) EXPECT_EQ(links[n].endsWith(",\"late\"\r"), n < 2) << n;
    EXPECT_EQ(checkChain(w.dir.filePath(kRecordFile)).kind, ChainFinding::Kind::Intact);
}

TEST(Files, FilesThatAreNoFilesOrTooBigGiveAMessageOrASkippedLine) {
    struct Made {
        const char* name;
        void (*make)(const QString& path);
    };
    const Made fifo{"a FIFO", [](const QString& path) { mkfifo(QFile::encodeName(path), 0666); }};
    const Made device{"a device", [](const QString& path) { // like /dev/zero, never reached
                          if (mknod(QFile::encodeName(path), S_IFCHR | 0666, makedev(1, 5)) != 0)
                              mkfifo(QFile::encodeName(path), 0666); // only root may make one
                      }};
    const Made folder{"a folder", [](const QString& path) { QDir().mkdir(path); }};
    // 2 GiB without a line end, sparse: made in no time.
    const Made huge{"2 GiB", [](const QString& path) {
                        QFile file(path);
                        (void)(file.open(QIODevice::WriteOnly) && file.resize(qint64(2) << 30));
                    }};
    // To the file as it was, which must stay so.
    const Made link{"a link", [](const QString& path) { QFile::link(path + "~", path); }};
    // What is made in the file's place; whether a message names it (else a line is skipped).
    const std::tuple<QString, Made, bool> cases[] = {
        // clang-format off
        {kUserDataFile, fifo, true}, {kRecordFile, fifo, true}, {kRegistryFile, fifo, true},
        {kUserDataFile, device, true}, {kRegistryFile, device, true}, {kRecordFile, folder, true},
        {kUserDataFile, huge, true}, {kRecordFile, huge, false}, {kRegistryFile, huge, false},
        {kUserDataFile, link, true}, {kRecordFile, link, true}, {kRegistryFile, link, true},
        // clang-format on
    };
    for (const auto& [file, made, message] : cases) {
        SCOPED_TRACE(file.toStdString() + " as " + made.name);
        World w;
        w.write(kUserDataFile, "\r\n");
        w.write(kRegistryFile, "\"" + kCard + "\",\"Sato\"\r\n");
        const QByteArray before = w.read(file);
        QFile::rename(w.dir.filePath(file), w.dir.filePath(file + "~"));
        made.make(w.dir.filePath(file));
        Terminal t(w.services(), w);
        if (t.start()) w.card = kCard, w.at("8:07:00"), t.clockTick();
        const QString name = file == kRecordFile ? "Sato" : ""; // an unregistered card
        EXPECT_EQ(w.messages.value(0).contains('"' + file + '"'), message)
            << w.messages.join('\n').toStdString();
        const auto time = [&] { return findLastRecord(w.services().files, name).time; };
        EXPECT_TRUE(message || time() == (name.isEmpty() ? "" : "8:05"));
        EXPECT_EQ(w.read(file + "~"), before);
    }
    World w; // the owner's name is written by a replacement, which would replace a link's target
    QFile::link(w.dir.filePath("target"), w.dir.filePath(kUserDataFile));
    EXPECT_THAT([&] { writeOwnerName(w.services().files, "Sato"); },
                failsWith(texts::kNotRegularFile));
    EXPECT_EQ(w.read("target"), "(missing)");
#ifndef __SANITIZE_ADDRESS__ // whose quarantine holds freed blocks
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 100 * 1024) << "KiB at the peak";
#endif
}

// Two runs saving into one folder: a commit waits for the other run's, or gives up with a
// message after its wait; the files are never a mix of both. An empty file is never put in.
TEST(Files, OutputsOfTwoRunsNeverMix) {
    using namespace std::chrono_literals;
    World w;
    const QByteArray lock = QFile::encodeName(w.dir.filePath(OutputFiles::kLockName));
    // The other run's commit: a process holding the lock for `held` µs.
    const auto otherRun = [&](useconds_t held) {
        int ready[2];
        EXPECT_EQ(pipe(ready), 0);
        const pid_t child = fork();
        if (child == 0) // lockf() is fcntl()'s lock
            _exit(lockf(::open(lock.constData(), O_RDWR | O_CREAT, 0666), F_LOCK, 0) != 0 ||
                  ::write(ready[1], "", 1) != 1 || usleep(held) != 0);
        char c;
        EXPECT_EQ(::read(ready[0], &c, 1), 1);
        return ::close(ready[0]), ::close(ready[1]), child;
    };
    for (const auto& [held, wait, done] :
         {std::tuple{300'000u, 10000ms, true}, std::tuple{10'000'000u, 200ms, false}}) {
        w.write("a.csv", "old");
        const pid_t other = otherRun(held);
        OutputFiles files(QDir(w.dir.path()), nullptr, wait);
        files.write("a.csv", "new");
        if (done)
            EXPECT_NO_THROW(files.commit());
        else
            EXPECT_THAT([&] { files.commit(); }, failsWith(texts::kOutputBusy));
        EXPECT_EQ(w.read("a.csv"), done ? "new" : "old");
        kill(other, SIGKILL), waitpid(other, nullptr, 0);
    }
    OutputFiles files{QDir(w.dir.path())};
    EXPECT_THAT([&] { files.write("b.csv", ""); }, failsWith(texts::kNothingWritten));
    EXPECT_EQ(w.read("b.csv"), "(missing)");
}
