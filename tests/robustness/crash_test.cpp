// A writer appending with the program's own AppendRecord is killed (SIGKILL) at random
// moments, round after round: the record file must hold only whole lines, among them every
// record whose append had returned, in order.

#include "cp932.h"
#include "crashrecord.h"
#include "fields.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef __linux__
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;
#endif

using namespace velmora;
using namespace velmora::test;

namespace {

#ifdef __linux__

// Reads everything from `fd` up to its end.
std::string readAll(int fd) {
    std::string text;
    char chunk[4096];
    for (ssize_t n; (n = read(fd, chunk, sizeof chunk)) != 0;) {
        if (n > 0)
            text.append(chunk, size_t(n));
        else if (errno != EINTR)
            break;
    }
    return text;
}

// How many records the file holds, checking that they are records 0, 1, ... as whole CR LF
// lines written as AppendRecord writes them and read back to what was appended.
long long checkFile(const QByteArray& file) {
    long long count = 0;
    for (qsizetype start = 0, crlf; start < file.size(); start = crlf + 2, ++count) {
        crlf = file.indexOf("\r\n", start);
        const QByteArray line = file.mid(start, crlf < 0 ? -1 : crlf - start);
        const AttendanceRecord expected = crashRecord(count);
        std::string_view fields[5];
        const bool parsed = readFields(view(line), fields, 5) == 4u;
        if (crlf < 0 || !parsed ||
            line + "\r\n" != quotedLine({*toCp932(expected.name), *toCp932(expected.date),
                                         *toCp932(expected.time), *toCp932(expected.kind)}) ||
            AttendanceRecord{fromCp932(fields[0]), fromCp932(fields[1]), fromCp932(fields[2]),
                             fromCp932(fields[3])} != expected) {
            ADD_FAILURE() << "line " << count << " is broken: " << line.toStdString();
            return count;
        }
    }
    return count;
}

TEST(CrashDuringAppend, EveryReturnedRecordIsThereWholeAndInOrder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QFile records(dir.filePath(kRecordFile));
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    // Up to a few appends' time, so that kills fall before, inside and after writes.
    std::uniform_int_distribution<int> delayMicroseconds(0, 4000);

    long long inFile = 0;
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        int fds[2];
        ASSERT_EQ(pipe2(fds, O_CLOEXEC), 0);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        std::string folder = dir.path().toStdString(), first = std::to_string(inFile);
        char* argv[] = {const_cast<char*>(CRASH_WRITER), folder.data(), first.data(), nullptr};
        pid_t pid = -1;
        const int spawned = posix_spawn(&pid, CRASH_WRITER, &actions, nullptr, argv, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]); // end of file on the read end once the writer is gone
        ASSERT_EQ(spawned, 0) << CRASH_WRITER;
        // Most rounds let the writer get going first; some kill it while it starts.
        pollfd p{fds[0], POLLIN, 0};
        if (round % 5 != 0) {
            EXPECT_GT(poll(&p, 1, 30000), 0) << "the writer reported nothing";
        }
        usleep(useconds_t(delayMicroseconds(random)));
        kill(pid, SIGKILL);
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        const std::string reports = readAll(fds[0]);
        close(fds[0]);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;

        // Each report is a whole line, numbered on from the records already in the file.
        long long returned = inFile;
        for (size_t at = 0, end; at < reports.size(); at = end + 1, ++returned) {
            end = reports.find('\n', at);
            ASSERT_NE(end, std::string::npos) << "a report was cut";
            ASSERT_EQ(std::stoll(reports.substr(at, end - at)), returned) << "out of order";
        }
        records.open(QIODevice::ReadOnly);
        const long long count = checkFile(records.readAll());
        records.close();
        ASSERT_FALSE(HasFailure());
        // Each returned append is there; the one under way at the kill may be too.
        ASSERT_GE(count, returned) << "a record whose append had returned is missing";
        ASSERT_LE(count, returned + 1) << "records nobody appended";
        inFile = count;
    }
}

#else

TEST(CrashDuringAppend, EveryReturnedRecordIsThereWholeAndInOrder) {
    GTEST_SKIP() << "kills the writer with SIGKILL: Linux only";
}

#endif

} // namespace
