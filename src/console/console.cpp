#include "console/console.h"

#include <cstdio>
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace velmora {

#ifdef _WIN32

namespace {

// A stream's handle, or the attached console's when the parent gave none: a program of the
// desktop started from a console without redirection has no standard handles.
HANDLE streamHandle(DWORD which, bool attached) {
    HANDLE h = GetStdHandle(which);
    if (h != nullptr && h != INVALID_HANDLE_VALUE && GetFileType(h) != FILE_TYPE_UNKNOWN) return h;
    if (!attached) return nullptr;
    return CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       nullptr, OPEN_EXISTING, 0, nullptr);
}

bool isConsole(HANDLE h) {
    DWORD mode = 0;
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode);
}

std::function<void(const QString&)> writer(HANDLE h) {
    return [h](const QString& text) {
        if (h == nullptr || h == INVALID_HANDLE_VALUE) return;
        DWORD written = 0;
        if (isConsole(h)) {
            WriteConsoleW(h, reinterpret_cast<const wchar_t*>(text.utf16()), DWORD(text.size()),
                          &written, nullptr);
        } else {
            const QByteArray bytes = text.toUtf8();
            WriteFile(h, bytes.constData(), DWORD(bytes.size()), &written, nullptr);
        }
    };
}

} // namespace

Console openConsole() {
    const bool attached = AttachConsole(ATTACH_PARENT_PROCESS);
    const HANDLE out = streamHandle(STD_OUTPUT_HANDLE, attached);
    const HANDLE err = streamHandle(STD_ERROR_HANDLE, attached);
    const auto goes = [](HANDLE h) { return h != nullptr && h != INVALID_HANDLE_VALUE; };
    return {writer(out), writer(err), isConsole(err), goes(out) || goes(err)};
}

void showInBox(const QString& title, const QString& text) {
    MessageBoxW(nullptr, reinterpret_cast<const wchar_t*>(text.utf16()),
                reinterpret_cast<const wchar_t*>(title.utf16()), MB_OK | MB_ICONINFORMATION);
}

#else

Console openConsole() {
    const auto print = [](FILE* stream) {
        return [stream](const QString& text) {
            std::fputs(qPrintable(text), stream);
            std::fflush(stream);
        };
    };
    return {print(stdout), print(stderr), bool(isatty(fileno(stderr)))};
}

void showInBox(const QString&, const QString& text) { std::fputs(qPrintable(text), stderr); }

#endif

} // namespace velmora
