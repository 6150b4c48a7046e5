#pragma once
// A full disk for the record file, without a full disk: while a FullDisk lives, no regular
// file of this process can grow, and each write that would grow one fails.

#ifndef _WIN32

#include <csignal>
#include <sys/resource.h>

class FullDisk {
public:
    FullDisk() {
        getrlimit(RLIMIT_FSIZE, &saved_);
        // The signal would end the tests; ignored, the write fails with EFBIG instead.
        previous_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit none = saved_;
        none.rlim_cur = 0;
        setrlimit(RLIMIT_FSIZE, &none);
    }
    ~FullDisk() {
        setrlimit(RLIMIT_FSIZE, &saved_);
        std::signal(SIGXFSZ, previous_);
    }
    FullDisk(const FullDisk&) = delete;
    FullDisk& operator=(const FullDisk&) = delete;

private:
    rlimit saved_{};
    void (*previous_)(int) = nullptr;
};

#endif
