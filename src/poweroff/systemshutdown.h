#pragma once
// The real power-off behind the Shutdown seam: logind on Linux, the Win32 API on Windows.

#include "seams/seams.h"

#include <memory>

namespace velmora {

#ifdef _WIN32

struct Win32ShutdownCalls; // shutdown/win32calls.h

// Enables SeShutdownPrivilege for this process, then asks Windows for an ordinary
// (not forced) shutdown, through Windows' own functions or a test's.
class Win32Shutdown : public Shutdown {
public:
    Win32Shutdown();
    explicit Win32Shutdown(const Win32ShutdownCalls& calls) : calls_(calls) {}
    void requestPowerOff() override;

private:
    const Win32ShutdownCalls& calls_;
};

#else

// Asks systemd-logind on the system bus for PowerOff with interactive set, so polkit
// decides whether this user may and can ask for a password.
class LogindShutdown : public Shutdown {
public:
    void requestPowerOff() override;
};

#endif

// The one the platform this is built for uses.
std::unique_ptr<Shutdown> makeSystemShutdown();

} // namespace velmora
