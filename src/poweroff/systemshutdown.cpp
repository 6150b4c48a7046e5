#include "poweroff/systemshutdown.h"

#include "logging/logging.h"

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include "poweroff/win32calls.h"
#else
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QString>
#endif

namespace velmora {

#ifdef _WIN32

// One count, one 8-byte LUID, one attributes word: the buffer length handed to Windows.
static_assert(sizeof(TOKEN_PRIVILEGES) == 16);

static const Win32ShutdownCalls& windowsCalls() {
    static const Win32ShutdownCalls calls;
    return calls;
}

Win32Shutdown::Win32Shutdown() : calls_(windowsCalls()) {}

void Win32Shutdown::requestPowerOff() {
    // No result is looked at: a refused step just leaves the shutdown to fail, silently.
    HANDLE process = calls_.getCurrentProcess();
    HANDLE token = nullptr;
    calls_.openProcessToken(process, TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token);

    LUID luid{};
    calls_.lookupPrivilegeValue(nullptr, "SeShutdownPrivilege", &luid);

    TOKEN_PRIVILEGES newState{};
    newState.PrivilegeCount = 1;
    newState.Privileges[0].Luid = luid;
    newState.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;

    TOKEN_PRIVILEGES previous{};
    DWORD returnLength = 0;
    calls_.adjustTokenPrivileges(token, FALSE, &newState, static_cast<DWORD>(sizeof newState),
                                 &previous, &returnLength);

    calls_.exitWindowsEx(EWX_SHUTDOWN, 0);

    if (token != nullptr) calls_.closeHandle(token);
}

std::unique_ptr<Shutdown> makeSystemShutdown() { return std::make_unique<Win32Shutdown>(); }

#else

void LogindShutdown::requestPowerOff() {
    // systemBus() follows DBUS_SYSTEM_BUS_ADDRESS; no bus means nothing to ask.
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        qCWarning(lcShutdown) << "power-off not requested: no system bus";
        return;
    }
    qCInfo(lcShutdown) << "power-off requested from logind";

    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("PowerOff"));
    call << true; // interactive: polkit may ask the user for a password

    // Sent without waiting: polkit's password dialog or a stalled logind must not freeze
    // the window, and a refusal has nobody to be told to but the log.
    auto* reply = new QDBusPendingCallWatcher(bus.asyncCall(call), QCoreApplication::instance());
    QObject::connect(reply, &QDBusPendingCallWatcher::finished, reply, [reply] {
        if (reply->isError())
            qCWarning(lcShutdown).noquote() << "power-off refused:" << reply->error().message();
        reply->deleteLater();
    });
}

std::unique_ptr<Shutdown> makeSystemShutdown() { return std::make_unique<LogindShutdown>(); }

#endif

} // namespace velmora
