// requestPowerOff() against python3-dbusmock's logind on a private bus of the test's own. The
// machine's own bus is never reached: Qt's system bus must first prove to be the private one.

#include "poweroff/systemshutdown.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>

#include <csignal>
#include <sys/prctl.h>

static void startDyingWithThisProcess(QProcess& process, const QStringList& command) {
    process.setChildProcessModifier([] { prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.start(command.first(), command.mid(1));
}

// Only dbusmock's logind has the Mock interface, so an answer proves the bus a private one.
static bool mockAnswers() {
    return QDBusConnection::systemBus()
               .call(QDBusMessage::createMethodCall("org.freedesktop.login1",
                                                    "/org/freedesktop/login1",
                                                    "org.freedesktop.DBus.Mock", "ClearCalls"))
               .type() == QDBusMessage::ReplyMessage;
}

TEST(LogindShutdown, OneInteractivePowerOffWithoutWaitingForTheAnswer) {
    QProcess bus, logind;
    startDyingWithThisProcess(bus, {"dbus-daemon", "--session", "--nofork", "--print-address=1"});
    if (!bus.waitForReadyRead(10000) ||
        QProcess::execute("/usr/bin/python3", {"-c", "import dbusmock"}) != 0)
        GTEST_SKIP() << "needs dbus-daemon and python3-dbusmock";
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus.readLine().trimmed()); // before Qt's first system bus
    startDyingWithThisProcess(
        logind, {"/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "logind"});
    QElapsedTimer clock;
    for (clock.start(); !mockAnswers(); QThread::msleep(50))
        ASSERT_LT(clock.elapsed(), 20000) << "no dbusmock logind on Qt's system bus";
    // Stopped, logind never answers, as while polkit's password prompt is open.
    kill(logind.processId(), SIGSTOP);
    clock.restart();
    velmora::LogindShutdown().requestPowerOff();
    EXPECT_LT(clock.elapsed(), 5000) << "waited for logind's answer";
    kill(logind.processId(), SIGCONT);
    ASSERT_TRUE(logind.waitForReadyRead(5000)) << "logind was never asked";
    while (logind.waitForReadyRead(500)) // room for a second call to show up
        ;
    // dbusmock logs "<time> PowerOff True" for each call.
    const QByteArray calls = logind.readAll();
    EXPECT_EQ(calls.mid(calls.indexOf(' ') + 1).toStdString(), "PowerOff True\n");
}

// In a process of its own, since Qt keeps its first system bus connection.
TEST(LogindShutdownDeathTest, WithoutABusReturnsSilently) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/bus");
    EXPECT_EXIT(
        {
            if (QDBusConnection::systemBus().isConnected()) _exit(2); // never the real logind
            velmora::LogindShutdown().requestPowerOff();
            _exit(0);
        },
        testing::ExitedWithCode(0), "");
}
