// The logind power-off against python-dbusmock's logind on a bus of the test's own. Nothing here
// may reach the real system bus: every test first proves that Qt's system bus is the private one,
// and the children die with this process.

#include "shutdown.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>
#include <sys/prctl.h>

namespace {

using namespace std::chrono_literals;

const QString kLogind = QStringLiteral("org.freedesktop.login1");
constexpr qint64 kPromptlyMs = 6000; // far below libdbus's 25 s default timeout

void start(QProcess& process, const QStringList& command, const QString& busAddress = {}) {
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    if (!busAddress.isEmpty())
        process.setEnvironment(QProcess::systemEnvironment()
                               << QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS=") + busAddress);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(command.constFirst(), command.mid(1));
}

void stop(QProcess& process) {
    process.kill();
    process.waitForFinished(3000);
}

template <typename Condition> bool waitFor(Condition condition, QDeadlineTimer deadline = 5s) {
    while (!condition() && !deadline.hasExpired())
        QThread::msleep(20);
    return condition();
}

QString busId(QDBusConnection bus) {
    const QDBusMessage reply = bus.call(QDBusMessage::createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetId"));
    return reply.arguments().value(0).toString();
}

// Calls ShutdownSystem on a fresh shutdown object; how long it took, in ms.
qint64 timedShutdown() {
    QElapsedTimer clock;
    clock.start();
    velmora::makeSystemShutdown()->ShutdownSystem();
    return clock.elapsed();
}

class LogindShutdown : public ::testing::Test {
  protected:
    // One private bus for the process: Qt keeps its first system bus connection.
    static void SetUpTestSuite() {
        QProcess probe;
        probe.start("/usr/bin/python3", {"-c", "import dbusmock"});
        if (!probe.waitForFinished(30000) || probe.exitCode() != 0 ||
            QStandardPaths::findExecutable("dbus-daemon").isEmpty())
            return void(skip_ = "dbus-daemon or python3-dbusmock is not installed");
        daemon_ = std::make_unique<QProcess>();
        start(*daemon_, {"dbus-daemon", "--session", "--nofork", "--print-address=1"});
        waitFor([] { return daemon_->waitForReadyRead(100), daemon_->canReadLine(); }, 10s);
        address_ = QString::fromLocal8Bit(daemon_->readLine()).trimmed();
        // Before anything in this process asks Qt for the system bus.
        if (!address_.isEmpty()) qputenv("DBUS_SYSTEM_BUS_ADDRESS", address_.toLocal8Bit());
    }
    static void TearDownTestSuite() {
        QDBusConnection::disconnectFromBus("probe");
        if (daemon_) stop(*daemon_);
    }

    void SetUp() override {
        if (!skip_.isEmpty()) GTEST_SKIP() << skip_.toStdString();
        ASSERT_FALSE(address_.isEmpty()) << "dbus-daemon gave no address";
        // The guard against ever asking the real logind to power the machine off.
        const QString systemId = busId(QDBusConnection::systemBus());
        ASSERT_FALSE(systemId.isEmpty());
        ASSERT_EQ(systemId, busId(probe())) << "Qt's system bus is not the private bus";
    }
    void TearDown() override { stop(logind_); }

    static QDBusConnection probe() { return QDBusConnection::connectToBus(address_, "probe"); }

    // dbusmock's logind, logging each call it gets as "<time> Method Arguments".
    void startLogind() {
        start(logind_,
              {"/usr/bin/python3", "-m", "dbusmock", "--system", "--template", "logind", "-l",
               dir_.filePath("logind.log")},
              address_);
        ASSERT_TRUE(
            waitFor([] { return probe().interface()->isServiceRegistered(kLogind).value(); }, 20s))
            << logind_.readAll().toStdString();
    }

    // The calls logind got so far, without their times.
    QStringList calls() {
        QFile log(dir_.filePath("logind.log"));
        log.open(QIODevice::ReadOnly);
        return QString::fromUtf8(log.readAll())
            .remove(QRegularExpression("^[0-9.]+ ", QRegularExpression::MultilineOption))
            .split('\n', Qt::SkipEmptyParts);
    }

    static inline std::unique_ptr<QProcess> daemon_;
    static inline QString address_, skip_;
    QTemporaryDir dir_;
    QProcess logind_;
};

TEST_F(LogindShutdown, AsksLogindForOneInteractivePowerOff) {
    ASSERT_NO_FATAL_FAILURE(startLogind());
    velmora::makeSystemShutdown()->ShutdownSystem();
    ASSERT_TRUE(waitFor([&] { return !calls().isEmpty(); })) << "logind was never asked";
    QThread::msleep(300); // room for a second call to show up
    EXPECT_EQ(calls().join(" | ").toStdString(), "PowerOff True");
}

// Refused or never answered: ShutdownSystem returns promptly, now and later, without throwing.
TEST_F(LogindShutdown, RefusedOrUnansweredReturnsPromptly) {
    ASSERT_NO_FATAL_FAILURE(startLogind());
    for (const char* powerOff : {"raise dbus.exceptions.DBusException('no', "
                                 "name='org.freedesktop.DBus.Error.AccessDenied')",
                                 "time.sleep(60)"}) {
        SCOPED_TRACE(powerOff);
        QDBusMessage replace = QDBusMessage::createMethodCall(
            kLogind, "/org/freedesktop/login1", "org.freedesktop.DBus.Mock", "AddMethod");
        replace.setArguments({kLogind + ".Manager", "PowerOff", "b", "", powerOff});
        const QDBusMessage reply = probe().call(replace);
        ASSERT_NE(reply.type(), QDBusMessage::ErrorMessage) << reply.errorMessage().toStdString();
        const qsizetype before = calls().size();
        qint64 took = kPromptlyMs;
        EXPECT_NO_THROW(took = timedShutdown());
        EXPECT_LT(took, kPromptlyMs);
        EXPECT_TRUE(waitFor([&] { return calls().size() > before; })) << "logind never got it";
        QThread::msleep(200); // the refusal comes back now; it must not surface either
        EXPECT_NO_THROW(QCoreApplication::processEvents());
    }
}

TEST_F(LogindShutdown, NoLogindOnTheBusReturnsPromptly) {
    ASSERT_TRUE(waitFor([] { return !probe().interface()->isServiceRegistered(kLogind).value(); }));
    qint64 took = kPromptlyMs;
    EXPECT_NO_THROW(took = timedShutdown());
    EXPECT_LT(took, kPromptlyMs);
}

} // namespace
