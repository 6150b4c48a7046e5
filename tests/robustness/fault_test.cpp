// Faults of the machine while the terminal runs, through a real terminal window wired with
// the real operations: a working folder that cannot be written, a record file on a full
// device, a card reader library that is not there and a registry deleted under the
// program. Each ends the program with a message box naming what failed, and nothing is
// shown as recorded that is not on the disk.

#include "attendance.h"
#include "cardlibrary.h"
#include "doubles.h"
#include "form1.h"
#include "operations.h"

#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <cerrno>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace velmora;
using namespace velmora::test;

namespace {

const QString kUser = QStringLiteral("職員A");
const QString kIdm = QStringLiteral("0123456789ABCDEF");

QByteArray record(const QString& date, const QString& time, const QString& kind) {
    return '"' + sjis(kUser) + "\",\"" + sjis(date) + "\",\"" + sjis(time) + "\",\"" + sjis(kind) +
           "\"\r\n";
}

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// A shared PC with kUser's card registered, its window wired as the program wires it. The
// card library is the fake one unless a test hands in another.
class FaultTest : public ::testing::Test {
protected:
    TestWorld w;
    std::unique_ptr<Form1> form;
    std::unique_ptr<TerminalOperations> operations;
    const QByteArray before = record("06/30", "17:10", "退");

    void SetUp() override {
        w.write(kUserDataFile, "\r\n");
        w.write(kRegistryFile, '"' + sjis(kIdm) + "\",\"" + sjis(kUser) + "\"\r\n");
        w.write(kRecordFile, before);
    }
    Form1& start(CardLibrary& library) {
        form = std::make_unique<Form1>(Services{w.clock, w.prompts, w.beeper, library, w.shutdown,
                                                w.end, DataFolder(QDir(w.dir.path()))});
        operations = std::make_unique<TerminalOperations>(*form);
        form->setOperations(operations.get());
        EXPECT_TRUE(form->Form_Load());
        return *form;
    }
    Form1& start() { return start(w.card); }
    void tick(const char* hms) {
        w.clock.set(QString::fromLatin1(hms), "2026/07/01");
        form->handle([this] { form->Timer2_Timer(); });
    }
    // One message box naming `what`, and the program asked to end as after a fault.
    void expectEndedNaming(const QStringList& what) {
        ASSERT_EQ(w.prompts.messages.size(), 1) << w.prompts.messages.join(" | ").toStdString();
        for (const QString& part : what)
            EXPECT_TRUE(w.prompts.messages[0].contains(part))
                << w.prompts.messages[0].toStdString() << " does not name " << part.toStdString();
        EXPECT_TRUE(w.end.ended);
        EXPECT_EQ(w.end.exitCode, 1);
    }
    // Nothing shown as recorded, nothing written.
    void expectNothingRecorded() {
        EXPECT_FALSE(form->mess->text().contains(kArrival) || form->mess->text().contains(kLeaving))
            << form->mess->text().toStdString();
        EXPECT_EQ(w.shutdown.requests, 0);
    }
};

#ifndef _WIN32

// What the arrival in the child left behind, for the parent to check.
struct Outcome {
    QString skipped; // why the fault could not be made, when it could not
    QStringList messages;
    bool ended = false;
    int exitCode = -1;
    QString shown;
    int beeps = 0;
};

QDataStream& operator<<(QDataStream& s, const Outcome& o) {
    return s << o.skipped << o.messages << o.ended << o.exitCode << o.shown << o.beeps;
}
QDataStream& operator>>(QDataStream& s, Outcome& o) {
    return s >> o.skipped >> o.messages >> o.ended >> o.exitCode >> o.shown >> o.beeps;
}

// Runs `work` in a child process without root's right to write anywhere (as nobody when the
// test runs as root) and brings back its outcome.
Outcome withoutRoot(const QString& folder, const std::function<Outcome()>& work) {
    int fds[2];
    if (pipe(fds) != 0) {
        ADD_FAILURE() << "no pipe";
        return {};
    }
    const pid_t pid = fork();
    if (pid < 0) {
        ADD_FAILURE() << "no fork";
        return {};
    }
    if (pid == 0) {
        close(fds[0]);
        Outcome outcome;
        const uid_t nobody = 65534;
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 ||
                               setuid(nobody) != 0 || setuid(0) == 0))
            outcome.skipped = QStringLiteral("cannot give up root");
        else if (access(QFile::encodeName(folder).constData(), R_OK | X_OK) != 0)
            outcome.skipped = QStringLiteral("the folder is out of reach without root");
        else if (access(QFile::encodeName(folder).constData(), W_OK) == 0)
            outcome.skipped = QStringLiteral("the folder stays writable");
        else
            outcome = work();
        QByteArray bytes;
        QDataStream out(&bytes, QIODevice::WriteOnly);
        out << outcome;
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = write(fds[1], bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0) break;
            done += n;
        }
        // No exit handlers: they belong to the parent's test run.
        _exit(0);
    }
    close(fds[1]);
    QByteArray bytes;
    char chunk[4096];
    for (ssize_t n; (n = read(fds[0], chunk, sizeof chunk)) != 0;) {
        if (n > 0)
            bytes.append(chunk, n);
        else if (errno != EINTR)
            break;
    }
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome outcome;
    QDataStream in(bytes);
    in >> outcome;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child failed: " << status;
    return outcome;
}

TEST_F(FaultTest, ReadOnlyWorkingFolder) {
    Form1& f = start();
    f.ResetToIdle();
    f.名前->setText(kUser);
    w.clock.set("8:07:59", "2026/07/01");
    const QString folder = w.dir.path();
    ASSERT_EQ(chmod(QFile::encodeName(w.path(kRecordFile)).constData(), 0444), 0);
    ASSERT_EQ(chmod(QFile::encodeName(folder).constData(), 0555), 0);

    const Outcome o = withoutRoot(folder, [&] {
        f.出->click(); // the arrival button
        Outcome o;
        o.messages = w.prompts.messages;
        o.ended = w.end.ended;
        o.exitCode = w.end.exitCode;
        o.shown = f.mess->text();
        o.beeps = w.beeper.beeps;
        return o;
    });
    chmod(QFile::encodeName(folder).constData(), 0700);
    if (!o.skipped.isEmpty()) GTEST_SKIP() << o.skipped.toStdString();

    ASSERT_EQ(o.messages.size(), 1) << o.messages.join(" | ").toStdString();
    EXPECT_TRUE(o.messages[0].contains(kRecordFile)) << o.messages[0].toStdString();
    EXPECT_TRUE(o.messages[0].contains(systemError(EACCES))) << o.messages[0].toStdString();
    EXPECT_TRUE(o.ended);
    EXPECT_EQ(o.exitCode, 1);
    EXPECT_EQ(o.shown, QString()) << "nothing shown as recorded";
    EXPECT_EQ(o.beeps, 0);
    EXPECT_EQ(w.read(kRecordFile), before);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden).size(), 3) << "nothing created";
}

#endif

// /dev/full takes no byte and reads as endless zeros: the operation must neither hang
// reading it nor show a record it could not write. (The write to a full disk alone is
// covered where the operations are tested.)
TEST_F(FaultTest, RecordFileOnAFullDevice) {
    if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    struct Case {
        const char* clock;
        const char* what;
    } cases[] = {{"8:07:59", "arrival by card"}, {"17:07:30", "leaving by card"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(w.path(kRecordFile));
        ASSERT_TRUE(QFile::link("/dev/full", w.path(kRecordFile)));
        w.prompts.messages.clear();
        w.end = {};
        start();
        EXPECT_TRUE(w.prompts.messages.isEmpty()) << "start-up reads no record";
        w.card.hold(kIdm.toLatin1());
        tick(c.clock);
        expectEndedNaming({kRecordFile});
        expectNothingRecorded();
        EXPECT_EQ(QFileInfo(w.path(kRecordFile)).symLinkTarget(), "/dev/full") << "left as it was";
    }
}

TEST_F(FaultTest, MissingCardReaderLibrary) {
    const QString name = QStringLiteral("libvelmora_no_such_reader.so");
    SonyIdmLibrary library(name);
    start(library);
    EXPECT_TRUE(w.prompts.messages.isEmpty()) << "the window shows without the library";
    tick("8:07:59");
    expectEndedNaming({name, systemError(ENOENT)});
    expectNothingRecorded();
    EXPECT_EQ(w.read(kRecordFile), before);
}

TEST_F(FaultTest, RegistryDeletedWhileRunning) {
    start();
    tick("8:07:57"); // no card yet: the registry is read all the same
    ASSERT_TRUE(w.prompts.messages.isEmpty());
    ASSERT_TRUE(QFile::remove(w.path(kRegistryFile)));
    w.card.hold(kIdm.toLatin1());
    tick("8:07:59");
    expectEndedNaming({kRegistryFile});
    expectNothingRecorded();
    EXPECT_EQ(w.read(kRecordFile), before);
    EXPECT_FALSE(w.exists(kRegistryFile)) << "not made again behind the user's back";
}

} // namespace
