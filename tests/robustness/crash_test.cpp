// The record file when the program dies at any moment: a writer appending with the
// program's own AppendRecord is killed (SIGKILL) at random points, round after round, and
// the file must still hold only whole lines, among them every record whose append had
// returned, in order.

#include "cp932.h"
#include "crashrecord.h"
#include "fields.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#ifdef __linux__
#include <cerrno>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;
#endif

using namespace velmora;
using namespace velmora::test;

namespace {

#ifdef __linux__

// The writer process and the read end of its report pipe.
class Writer {
public:
    Writer(const QString& folder, long long first) {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0) return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
        const std::string folderArg = folder.toStdString();
        const std::string firstArg = std::to_string(first);
        char* argv[] = {const_cast<char*>(CRASH_WRITER), const_cast<char*>(folderArg.c_str()),
                        const_cast<char*>(firstArg.c_str()), nullptr};
        if (posix_spawn(&pid_, CRASH_WRITER, &actions, nullptr, argv, environ) != 0) pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[1]); // EOF on the read end once the writer is gone
        reports_ = fds[0];
    }
    ~Writer() {
        if (pid_ > 0) kill(), reap();
        if (reports_ >= 0) close(reports_);
    }
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool started() const { return pid_ > 0 && reports_ >= 0; }

    // Whether some report arrived within the time given (it stays unread).
    bool reportWithin(std::chrono::milliseconds timeout) {
        pollfd p{reports_, POLLIN, 0};
        return poll(&p, 1, int(timeout.count())) > 0;
    }

    void kill() { ::kill(pid_, SIGKILL); }

    // The status once it has ended; the writer never ends of its own accord but by a fault.
    int reap() {
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        pid_ = -1;
        return status;
    }

    // Everything it reported, up to its end.
    std::string allReports() {
        std::string text;
        char chunk[4096];
        for (;;) {
            const ssize_t n = read(reports_, chunk, sizeof chunk);
            if (n > 0)
                text.append(chunk, size_t(n));
            else if (n == 0 || errno != EINTR)
                break;
        }
        return text;
    }

private:
    pid_t pid_ = -1;
    int reports_ = -1;
};

// The numbers of the reports, which must run on from `first` without a gap.
std::vector<long long> reported(const std::string& text) {
    std::vector<long long> numbers;
    size_t start = 0;
    for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        numbers.push_back(std::stoll(text.substr(start, end - start)));
    EXPECT_EQ(start, text.size()) << "a report was cut";
    return numbers;
}

// Checks that the file is records 0, 1, ... as whole CR LF lines that read back to what was
// appended; returns how many there are.
long long checkFile(const QByteArray& file) {
    long long count = 0;
    qsizetype start = 0;
    while (start < file.size()) {
        const qsizetype crlf = file.indexOf("\r\n", start);
        if (crlf < 0) {
            ADD_FAILURE() << "line " << count
                          << " has no line end: " << file.mid(start).toStdString();
            return count;
        }
        const QByteArray line = file.mid(start, crlf - start);
        const AttendanceRecord expected = crashRecord(count);
        EXPECT_EQ(line, quotedLine({*toCp932(expected.name), *toCp932(expected.date),
                                    *toCp932(expected.time), *toCp932(expected.kind)})
                            .chopped(2))
            << "line " << count;
        std::string_view fields[5];
        EXPECT_EQ(readFields(view(line), fields, 5), 4u) << "line " << count;
        const AttendanceRecord back{fromCp932(fields[0]), fromCp932(fields[1]),
                                    fromCp932(fields[2]), fromCp932(fields[3])};
        if (back != expected) {
            ADD_FAILURE() << "line " << count
                          << " reads back as another record: " << line.toStdString();
            return count;
        }
        ++count;
        start = crlf + 2;
    }
    return count;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(CrashDuringAppend, EveryReturnedRecordIsThereWholeAndInOrder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString records = dir.filePath(kRecordFile);
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE(testing::Message() << "seed " << seed);
    std::mt19937 random(seed);
    // Up to a few appends' time, so that kills fall before, inside and after writes.
    std::uniform_int_distribution<int> delayMicroseconds(0, 4000);

    long long inFile = 0;
    for (int round = 0; round < 50; ++round) {
        SCOPED_TRACE(testing::Message() << "round " << round);
        Writer writer(dir.path(), inFile);
        ASSERT_TRUE(writer.started()) << CRASH_WRITER;
        // Most rounds let the writer get going first; some kill it while it starts.
        if (round % 5 != 0) {
            ASSERT_TRUE(writer.reportWithin(std::chrono::seconds(30)))
                << "the writer reported nothing";
        }
        usleep(useconds_t(delayMicroseconds(random)));
        writer.kill();
        const int status = writer.reap();
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)
            << "the writer ended by itself, status " << status;

        const std::vector<long long> numbers = reported(writer.allReports());
        for (size_t i = 0; i < numbers.size(); ++i)
            ASSERT_EQ(numbers[i], inFile + (long long)(i)) << "reports out of order";
        const long long returned = inFile + (long long)(numbers.size());

        const long long count = checkFile(readAll(records));
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
