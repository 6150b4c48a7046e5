#pragma once
// The real power-off behind the Shutdown seam: logind on Linux, the Win32 API on Windows.

#include "common/seams.h"

#include <memory>

namespace velmora {

#ifdef _WIN32

// Enables SeShutdownPrivilege for this process, then asks Windows for an ordinary
// (not forced) shutdown.
class Win32Shutdown : public Shutdown {
public:
    void requestPowerOff() override;
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
