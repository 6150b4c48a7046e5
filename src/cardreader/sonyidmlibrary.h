#pragma once
// The binding to the card reader library: sony_idm.dll on Windows, libsony_idm.so
// elsewhere, entry point get_idm. Bound by name at the first call, not at construction, so that
// the program starts and shows its window without the library.

#include "seams/seams.h"

#include <QString>
#include <cstdint>

namespace velmora {

class SonyIdmLibrary : public CardLibrary {
public:
    // library: a full path, or a file name in the program's own folders (the default).
    explicit SonyIdmLibrary(QString library = defaultLibraryName());
    // The library stays loaded until the program ends (it keeps its reader connection).
    ~SonyIdmLibrary() override = default;
    SonyIdmLibrary(const SonyIdmLibrary&) = delete;
    SonyIdmLibrary& operator=(const SonyIdmLibrary&) = delete;

    // Binds on the first call; a missing library or entry point throws CardFailure (and the
    // next call tries again). buffer: 1024 writable bytes plus a terminating zero.
    int32_t getIdm(int32_t mode, char* buffer) override;

    // "sony_idm.dll" on Windows, "libsony_idm.so" elsewhere.
    static QString defaultLibraryName();

private:
#if defined(_WIN32) && !defined(_WIN64)
    using Entry = int32_t(__stdcall*)(int32_t, char*);
#else
    using Entry = int32_t (*)(int32_t, char*);
#endif
    QString fullPath() const;
    void bind();

    QString library_;
    Entry entry_ = nullptr;
    int32_t readerFault_ = 0; // the last read's fault, 0 for none
};

} // namespace velmora
