#include "cardreader/sonyidmlibrary.h"

#include "cardreader/sony_idm.h"
#include "logging/logging.h"
#include "texts/texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <utility>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace velmora {

namespace {

#if defined(_WIN32)
QString lastErrorText() {
    const DWORD code = GetLastError();
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString message = length > 0 ? QString::fromWCharArray(text, int(length)).trimmed() : QString();
    if (text != nullptr) LocalFree(text);
    return QStringLiteral("%1 (%2)").arg(message, QString::number(code));
}
#else
QString lastErrorText() {
    const char* text = dlerror();
    return text != nullptr ? QString::fromLocal8Bit(text) : QStringLiteral("unknown error");
}
#endif

} // namespace

SonyIdmLibrary::SonyIdmLibrary(QString library) : library_(std::move(library)) {}

QString SonyIdmLibrary::defaultLibraryName() {
#if defined(_WIN32)
    return QStringLiteral("sony_idm.dll");
#else
    return QStringLiteral("libsony_idm.so");
#endif
}

// The working folder may be a share that others write: the library is loaded by its full path
// in the program's own folder, or once installed in its folder of its own (packaging/), never
// through the system's search.
QString SonyIdmLibrary::fullPath() const {
    if (QFileInfo(library_).isAbsolute()) return library_;
    const QString beside = QCoreApplication::applicationDirPath() + u'/' + library_;
#ifdef VELMORA_PRIVATE_LIBRARY_DIR
    const QString installed = QCoreApplication::applicationDirPath() +
                              QStringLiteral("/" VELMORA_PRIVATE_LIBRARY_DIR "/") + library_;
    if (!QFileInfo::exists(beside) && QFileInfo::exists(installed)) return installed;
#endif
    return beside;
}

void SonyIdmLibrary::bind() {
    const QString path = fullPath();
#if defined(_WIN32)
    // Its own dependencies from its folder and the system's, never the working directory. The
    // wide form, so that a path outside the ANSI code page loads too.
    HMODULE module =
        LoadLibraryExW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()),
                       nullptr, LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (module == nullptr)
        throw CardFailure(
            texts::kLibraryMissing.arg(library_ + QStringLiteral(": ") + lastErrorText()));
    auto entry =
        reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, "get_idm")));
    if (entry == nullptr) {
        const QString error = lastErrorText();
        FreeLibrary(module);
        throw CardFailure(texts::kLibraryWithoutEntry.arg(library_ + QStringLiteral(": ") + error));
    }
#else
    void* module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW);
    if (module == nullptr) throw CardFailure(texts::kLibraryMissing.arg(lastErrorText()));
    dlerror();
    void* symbol = dlsym(module, "get_idm");
    if (symbol == nullptr) {
        const QString error = lastErrorText();
        dlclose(module);
        throw CardFailure(texts::kLibraryWithoutEntry.arg(error));
    }
    auto entry = reinterpret_cast<Entry>(symbol);
#endif
    qCInfo(lcCard).noquote() << "card reader library:" << path;
    // The module handle is dropped on purpose: the library stays loaded until the program ends.
    entry_ = entry;
}

static_assert(SONY_IDM_NO_CARD == CardLibrary::kNoCard &&
              SONY_IDM_NO_READER == CardLibrary::kNoReader);

int32_t SonyIdmLibrary::getIdm(int32_t mode, char* buffer) {
    if (entry_ == nullptr) bind();
    const int32_t result = entry_(mode, buffer);
    // A reader's fault is read again every second: it is logged when it starts and ends.
    const int32_t fault = result < 0 && result != SONY_IDM_NO_CARD ? result : 0;
    if (fault != readerFault_) {
        if (fault == SONY_IDM_NO_READER)
            qCWarning(lcCard) << "card reader: no PC/SC service or no reader";
        else if (fault == SONY_IDM_FAILED)
            qCWarning(lcCard) << "card reader: the card or the reader answered with an error";
        else if (fault == SONY_IDM_NO_ANSWER)
            qCWarning(lcCard) << "card reader: no answer within 0.4 s";
        else if (fault != 0)
            qCWarning(lcCard) << "card reader: failed with" << fault;
        else
            qCWarning(lcCard) << "card reader: answering again";
    }
    readerFault_ = fault;
    return result;
}

} // namespace velmora
