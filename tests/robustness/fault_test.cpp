// Faults of the machine while the terminal runs, through a real window wired with the real
// operations. Each ends the program with a message box naming what failed and why, and
// nothing is shown as recorded.

#include "attendance.h"
#include "cardlibrary.h"
#include "doubles.h"
#include "form1.h"
#include "operations.h"

#include <QFile>
#include <QFileInfo>
#include <QPushButton>
#include <cerrno>
#include <cstdio>
#include <cstring>
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

QString systemError(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

// A shared PC with kUser's card registered, its window wired as the program wires it.
class FaultTest : public ::testing::Test {
protected:
    TestWorld w;
    std::unique_ptr<Form1> form;
    std::unique_ptr<TerminalOperations> operations;
    const QByteArray before =
        '"' + sjis(kUser) + "\",\"06/30\",\"17:10\",\"" + sjis("退") + "\"\r\n";

    void SetUp() override {
        w.write(kUserDataFile, "\r\n");
        w.write(kRegistryFile, '"' + sjis(kIdm) + "\",\"" + sjis(kUser) + "\"\r\n");
        w.write(kRecordFile, before);
    }
    void start(CardLibrary& library) {
        w.prompts.messages.clear();
        w.end = {};
        form = std::make_unique<Form1>(Services{w.clock, w.prompts, w.beeper, library, w.shutdown,
                                                w.end, DataFolder(QDir(w.dir.path()))});
        operations = std::make_unique<TerminalOperations>(*form);
        form->setOperations(operations.get());
        EXPECT_TRUE(form->Form_Load());
        EXPECT_EQ(w.prompts.messages, QStringList()) << "start-up goes well";
    }
    void tick(const char* hms) {
        w.clock.set(QString::fromLatin1(hms), "2026/07/01");
        form->handle([this] { form->Timer2_Timer(); });
    }
    // One message box naming all of `what`, the program asked to end, nothing recorded.
    void expectFault(const QStringList& what) {
        ASSERT_EQ(w.prompts.messages.size(), 1) << w.prompts.messages.join(" | ").toStdString();
        for (const QString& part : what)
            EXPECT_TRUE(w.prompts.messages[0].contains(part))
                << w.prompts.messages[0].toStdString() << " does not name " << part.toStdString();
        EXPECT_TRUE(w.end.ended);
        EXPECT_EQ(w.end.exitCode, 1);
        const QString shown = form->mess->text();
        EXPECT_FALSE(shown.contains(kArrival) || shown.contains(kLeaving)) << shown.toStdString();
        EXPECT_EQ(w.shutdown.requests, 0);
    }
};

#ifndef _WIN32

// The arrival button pressed in a child that has dropped root (to nobody), so that the
// folder's modes hold; the child checks what it sees and reports by its exit status.
TEST_F(FaultTest, ReadOnlyWorkingFolder) {
    start(w.card);
    form->ResetToIdle();
    form->名前->setText(kUser);
    w.clock.set("8:07:59", "2026/07/01");
    const QByteArray folder = QFile::encodeName(w.dir.path());
    ASSERT_EQ(chmod(QFile::encodeName(w.path(kRecordFile)).constData(), 0444), 0);
    ASSERT_EQ(chmod(folder.constData(), 0555), 0);
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const uid_t nobody = 65534;
        if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 ||
                               setuid(nobody) != 0 || setuid(0) == 0))
            _exit(77);
        if (access(folder.constData(), R_OK | X_OK) != 0 || access(folder.constData(), W_OK) == 0)
            _exit(77);
        form->出->click();
        [&] { expectFault({kRecordFile, systemError(EACCES)}); }();
        EXPECT_EQ(form->mess->text(), QString());
        EXPECT_EQ(w.beeper.beeps, 0);
        std::fflush(nullptr);
        _exit(HasFailure() ? 1 : 0); // no exit handlers: they are the parent's
    }
    int status = -1;
    waitpid(pid, &status, 0);
    chmod(folder.constData(), 0700);
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot drop root";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child saw: " << status;
    EXPECT_EQ(w.read(kRecordFile), before);
    EXPECT_EQ(QDir(w.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

#endif

// /dev/full takes no byte and reads as endless zeros: no hang, no record shown.
TEST_F(FaultTest, RecordFileOnAFullDevice) {
    if (!QFile::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    for (const char* clock : {"8:07:59", "17:07:30"}) { // arrival, leaving
        SCOPED_TRACE(clock);
        QFile::remove(w.path(kRecordFile));
        ASSERT_TRUE(QFile::link("/dev/full", w.path(kRecordFile)));
        start(w.card);
        w.card.hold(kIdm.toLatin1());
        tick(clock);
        expectFault({kRecordFile});
        EXPECT_EQ(QFileInfo(w.path(kRecordFile)).symLinkTarget(), "/dev/full");
    }
}

TEST_F(FaultTest, MissingCardReaderLibrary) {
    const QString name = QStringLiteral("libvelmora_no_such_reader.so");
    SonyIdmLibrary library(name);
    start(library);
    tick("8:07:59");
    expectFault({name, systemError(ENOENT)});
    EXPECT_EQ(w.read(kRecordFile), before);
}

TEST_F(FaultTest, RegistryDeletedWhileRunning) {
    start(w.card);
    tick("8:07:57"); // no card yet: the registry is read all the same
    ASSERT_TRUE(w.prompts.messages.isEmpty());
    ASSERT_TRUE(QFile::remove(w.path(kRegistryFile)));
    w.card.hold(kIdm.toLatin1());
    tick("8:07:59");
    expectFault({kRegistryFile});
    EXPECT_EQ(w.read(kRecordFile), before);
    EXPECT_FALSE(w.exists(kRegistryFile)) << "not made again behind the user's back";
}

} // namespace
