// The logind power-off, tried against python-dbusmock's logind on a bus of our own.
// Nothing here may reach the machine's real system bus: every test first proves that
// Qt's system bus is the private one, and the children die with this process.

#include "shutdown.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QVariant>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>
#include <sys/prctl.h>

namespace {

using namespace std::chrono_literals;

const QString kLogindName = QStringLiteral("org.freedesktop.login1");
const QString kLogindPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kMockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
const QString kProbeName = QStringLiteral("velmora-shutdown-test-probe");
const QString kSystemPython = QStringLiteral("/usr/bin/python3");

// Longer than any sane bounded wait, far shorter than libdbus's 25 s default.
constexpr auto kPromptly = 6s;

void startChild(QProcess& process, const QString& program, const QStringList& arguments) {
    // A crashed or killed test must not leave a bus or a mock behind.
    process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
}

void stopChild(QProcess& process) {
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(3000)) {
        process.kill();
        process.waitForFinished(3000);
    }
}

bool dbusmockInstalled() {
    if (!QFileInfo(kSystemPython).isExecutable())
        return false;
    QProcess probe;
    probe.start(kSystemPython, {QStringLiteral("-c"), QStringLiteral("import dbusmock")});
    return probe.waitForFinished(30000) && probe.exitStatus() == QProcess::NormalExit &&
           probe.exitCode() == 0;
}

// A session-style dbus-daemon standing in for the system bus.
class PrivateBus {
public:
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus(kProbeName);
        stopChild(daemon_);
    }

    // Empty on success, otherwise what went wrong.
    QString start() {
        startChild(daemon_, QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
        if (!daemon_.waitForStarted(10000))
            return QStringLiteral("dbus-daemon did not start: ") + daemon_.errorString();
        QDeadlineTimer deadline(10s);
        while (!daemon_.canReadLine()) {
            if (deadline.hasExpired() || daemon_.state() == QProcess::NotRunning)
                return QStringLiteral("dbus-daemon gave no address: ") +
                       QString::fromLocal8Bit(daemon_.readAll());
            daemon_.waitForReadyRead(100);
        }
        address_ = QString::fromLocal8Bit(daemon_.readLine()).trimmed();
        if (!probe().isConnected())
            return QStringLiteral("cannot connect to the private bus at ") + address_;
        return {};
    }

    QString address() const { return address_; }

    // The test's own connection, for watching the mock; never the code under test's.
    QDBusConnection probe() const { return QDBusConnection::connectToBus(address_, kProbeName); }

private:
    QProcess daemon_;
    QString address_;
};

QString busId(const QDBusConnection& connection) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("GetId"));
    QDBusMessage reply = QDBusConnection(connection).call(call, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().toString();
}

// dbusmock's logind, with its calls also written to a log file as they arrive.
class LogindMock {
public:
    explicit LogindMock(const PrivateBus& bus) : bus_(bus) {}
    ~LogindMock() { stopChild(process_); }

    QString start() {
        if (!dir_.isValid())
            return QStringLiteral("no temporary directory");
        logFile_ = dir_.filePath(QStringLiteral("logind.log"));
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), bus_.address());
        process_.setProcessEnvironment(environment);
        startChild(process_, kSystemPython,
                   {QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--system"),
                    QStringLiteral("--template"), QStringLiteral("logind"), QStringLiteral("-l"),
                    logFile_});
        if (!process_.waitForStarted(10000))
            return QStringLiteral("dbusmock did not start: ") + process_.errorString();

        QDBusConnection probe = bus_.probe();
        QDeadlineTimer deadline(20s);
        while (!probe.interface()->isServiceRegistered(kLogindName).value()) {
            if (deadline.hasExpired() || process_.state() == QProcess::NotRunning)
                return QStringLiteral("the logind mock never appeared on the bus: ") +
                       QString::fromLocal8Bit(process_.readAll());
            QThread::msleep(50);
        }
        return {};
    }

    // Replaces what PowerOff does, e.g. refuse or stall.
    QString replacePowerOff(const QString& pythonCode) {
        QDBusMessage call = QDBusMessage::createMethodCall(kLogindName, kLogindPath, kMockInterface,
                                                           QStringLiteral("AddMethod"));
        call << kManager << QStringLiteral("PowerOff") << QStringLiteral("b") << QString()
             << pythonCode;
        QDBusMessage reply = bus_.probe().call(call, QDBus::Block, 5000);
        return reply.type() == QDBusMessage::ErrorMessage ? reply.errorMessage() : QString();
    }

    struct Call {
        QString method;
        QVariantList arguments;
    };

    // What the mock has been asked so far, by GetCalls; nullopt if it did not answer.
    std::optional<QList<Call>> calls() const {
        QDBusMessage call = QDBusMessage::createMethodCall(kLogindName, kLogindPath, kMockInterface,
                                                           QStringLiteral("GetCalls"));
        QDBusMessage reply = bus_.probe().call(call, QDBus::Block, 5000);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return std::nullopt;
        QList<Call> result;
        const QDBusArgument rows = reply.arguments().constFirst().value<QDBusArgument>();
        rows.beginArray();
        while (!rows.atEnd()) {
            qulonglong timestamp = 0;
            Call row;
            QVariantList arguments;
            rows.beginStructure();
            rows >> timestamp >> row.method >> arguments;
            rows.endStructure();
            for (const QVariant& argument : arguments)
                row.arguments << (argument.canConvert<QDBusVariant>()
                                      ? argument.value<QDBusVariant>().variant()
                                      : argument);
            result << row;
        }
        rows.endArray();
        return result;
    }

    qsizetype powerOffCalls() const {
        qsizetype count = 0;
        if (const auto seen = calls())
            for (const Call& call : *seen)
                count += call.method == QStringLiteral("PowerOff");
        return count;
    }

    // True once the log shows a PowerOff arriving; works while the mock is busy.
    bool logShowsPowerOff() const {
        QFile log(logFile_);
        if (!log.open(QIODevice::ReadOnly))
            return false;
        static const QRegularExpression line(QStringLiteral("^\\d+\\.\\d+ PowerOff\\b"),
                                             QRegularExpression::MultilineOption);
        return line.match(QString::fromUtf8(log.readAll())).hasMatch();
    }

private:
    const PrivateBus& bus_;
    QTemporaryDir dir_;
    QString logFile_;
    QProcess process_;
};

template <typename Condition>
bool waitFor(Condition condition, std::chrono::milliseconds limit = 5s) {
    QDeadlineTimer deadline(limit);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(20);
    }
    return true;
}

std::chrono::milliseconds timed(velmora::Shutdown& shutdown) {
    QElapsedTimer clock;
    clock.start();
    shutdown.ShutdownSystem();
    return std::chrono::milliseconds(clock.elapsed());
}

class LogindShutdownTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        skipReason_.clear();
        setupError_.clear();
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
            skipReason_ = QStringLiteral("dbus-daemon is not installed");
            return;
        }
        if (!dbusmockInstalled()) {
            skipReason_ = QStringLiteral("python3-dbusmock is not installed");
            return;
        }
        bus_ = std::make_unique<PrivateBus>();
        setupError_ = bus_->start();
        if (setupError_.isEmpty())
            // Must happen before anything in this process asks Qt for the system bus.
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", bus_->address().toLocal8Bit());
    }

    static void TearDownTestSuite() { bus_.reset(); }

    void SetUp() override {
        if (!skipReason_.isEmpty())
            GTEST_SKIP() << skipReason_.toStdString();
        ASSERT_TRUE(setupError_.isEmpty()) << setupError_.toStdString();
        // The guard against ever asking the real logind to power the machine off.
        const QString systemId = busId(QDBusConnection::systemBus());
        ASSERT_FALSE(systemId.isEmpty()) << "Qt's system bus is not connected";
        ASSERT_EQ(systemId, busId(bus_->probe())) << "Qt's system bus is not the private bus";
    }

    static PrivateBus& bus() { return *bus_; }

private:
    static inline std::unique_ptr<PrivateBus> bus_;
    static inline QString skipReason_;
    static inline QString setupError_;
};

TEST_F(LogindShutdownTest, AsksLogindOnceForAnInteractivePowerOff) {
    LogindMock logind(bus());
    const QString started = logind.start();
    ASSERT_TRUE(started.isEmpty()) << started.toStdString();

    auto shutdown = velmora::makeSystemShutdown();
    shutdown->ShutdownSystem();

    ASSERT_TRUE(waitFor([&] { return logind.powerOffCalls() > 0; }))
        << "logind was never asked to power off";
    QThread::msleep(300); // room for a duplicate to show up
    const auto calls = logind.calls();
    ASSERT_TRUE(calls.has_value());

    qsizetype powerOffs = 0;
    for (const LogindMock::Call& call : *calls) {
        if (call.method == QStringLiteral("PowerOff")) {
            ++powerOffs;
            ASSERT_EQ(call.arguments.size(), 1);
            EXPECT_EQ(call.arguments.constFirst().metaType().id(), QMetaType::Bool);
            EXPECT_TRUE(call.arguments.constFirst().toBool())
                << "interactive must be set so polkit can ask for a password";
        }
        for (const char* wrongAction :
             {"Reboot", "Suspend", "Hibernate", "HybridSleep", "SuspendThenHibernate"})
            EXPECT_NE(call.method, QLatin1String(wrongAction));
    }
    EXPECT_EQ(powerOffs, 1);
}

TEST_F(LogindShutdownTest, RefusedPowerOffPassesSilently) {
    LogindMock logind(bus());
    const QString started = logind.start();
    ASSERT_TRUE(started.isEmpty()) << started.toStdString();
    const QString replaced = logind.replacePowerOff(QStringLiteral(
        "raise dbus.exceptions.DBusException('Access denied',"
        " name='org.freedesktop.DBus.Error.AccessDenied')"));
    ASSERT_TRUE(replaced.isEmpty()) << replaced.toStdString();

    velmora::LogindShutdown shutdown;
    EXPECT_NO_THROW(shutdown.ShutdownSystem());
    ASSERT_TRUE(waitFor([&] { return logind.powerOffCalls() > 0; }));
    // The refusal comes back after the call; it must not surface later either.
    QThread::msleep(200);
    EXPECT_NO_THROW(QCoreApplication::processEvents());
    EXPECT_NO_THROW(shutdown.ShutdownSystem());
    EXPECT_TRUE(waitFor([&] { return logind.powerOffCalls() == 2; }));
}

TEST_F(LogindShutdownTest, StalledLogindDoesNotHoldTheWindow) {
    LogindMock logind(bus());
    const QString started = logind.start();
    ASSERT_TRUE(started.isEmpty()) << started.toStdString();
    ASSERT_TRUE(logind.replacePowerOff(QStringLiteral("time.sleep(60)")).isEmpty());

    velmora::LogindShutdown shutdown;
    std::chrono::milliseconds took{};
    EXPECT_NO_THROW(took = timed(shutdown));
    EXPECT_LT(took, kPromptly);
    // Only meaningful if the request really reached the stalled logind.
    EXPECT_TRUE(waitFor([&] { return logind.logShowsPowerOff(); }));
}

TEST_F(LogindShutdownTest, NoLogindOnTheBusReturnsPromptly) {
    ASSERT_FALSE(bus().probe().interface()->isServiceRegistered(kLogindName).value())
        << "a logind is on the private bus";

    velmora::LogindShutdown shutdown;
    std::chrono::milliseconds took{};
    EXPECT_NO_THROW(took = timed(shutdown));
    EXPECT_LT(took, kPromptly);
}

// Qt keeps its first system-bus connection for the life of the process, so this one runs
// in a fresh child that never had a bus. The death-test machinery gives that child.
TEST(LogindShutdownDeathTest, NoSystemBusAtAllReturnsQuietly) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QByteArray absent =
        "unix:path=" + QFile::encodeName(dir.filePath(QStringLiteral("no-bus-here")));
    EXPECT_EXIT(
        {
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", absent);
            if (QDBusConnection::systemBus().isConnected())
                std::_Exit(3); // somehow a real bus: never ask it
            velmora::LogindShutdown shutdown;
            if (timed(shutdown) >= kPromptly)
                std::_Exit(4);
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

} // namespace
