#pragma once
// A full disk for the tests that need one: while it lives, no file this
// process writes may grow beyond the limit; a write beyond it fails.
#include <csignal>
#include <sys/resource.h>

struct FileSizeLimit {
    rlimit saved{};
    bool ok = false;
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN); // a failed write, not a killed process
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit lim{bytes, saved.rlim_max};
        ok = setrlimit(RLIMIT_FSIZE, &lim) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &saved); }
};
