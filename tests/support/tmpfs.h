#pragma once
// A tmpfs over a folder, in a mount namespace of this test's process alone (and the
// processes it starts). Needs root: `dir` is empty without it.

#include <QFile>
#include <sched.h>
#include <sys/mount.h>

namespace velmora::test {

struct Tmpfs {
    QByteArray dir;
    Tmpfs(const QString& path, const char* size) : dir(QFile::encodeName(path)) {
        if (unshare(CLONE_NEWNS) || mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
            mount("tmpfs", dir, "tmpfs", 0, size))
            dir.clear();
    }
    ~Tmpfs() { umount2(dir, MNT_DETACH); }
};

} // namespace velmora::test
