#include "writeback.h"

#include <sqlite3.h>

#include <fcntl.h>
#include <mutex>
#include <sys/types.h>

namespace {

#ifdef __linux__
using Pwrite64 = ssize_t (*)(int, const void*, size_t, off64_t);
Pwrite64 systemPwrite64 = nullptr;

constexpr off64_t kWindow = off64_t(1) << 20;

ssize_t pwriteStartingWriteOut(int fd, const void* bytes, size_t count, off64_t offset) {
    const ssize_t written = systemPwrite64(fd, bytes, count, offset);
    if (written > 0 && (offset + written) / kWindow > offset / kWindow) {
        const off64_t end = (offset + written) / kWindow * kWindow;
        // Only starts it: the commit's own sync still waits for every byte.
        sync_file_range(fd, end - kWindow, kWindow, SYNC_FILE_RANGE_WRITE);
    }
    return written;
}
#endif

} // namespace

void StartWritesEarly() {
#ifdef __linux__
    static std::once_flag once;
    std::call_once(once, [] {
        sqlite3_initialize();
        sqlite3_vfs* vfs = sqlite3_vfs_find(nullptr);
        if (!vfs || vfs->iVersion < 3 || !vfs->xGetSystemCall || !vfs->xSetSystemCall) return;
        const auto current = reinterpret_cast<Pwrite64>(vfs->xGetSystemCall(vfs, "pwrite64"));
        if (!current) return; // a build that writes otherwise keeps its way
        systemPwrite64 = current;
        vfs->xSetSystemCall(vfs, "pwrite64", reinterpret_cast<sqlite3_syscall_ptr>(&pwriteStartingWriteOut));
    });
#endif
}
