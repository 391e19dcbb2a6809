#include "heap.h"

#include <mutex>

#ifdef __GLIBC__
#include <malloc.h>
#endif

void GiveBackFreedHeap(qint64 freedBytes, bool always) {
#ifdef __GLIBC__
    constexpr qint64 kWorthTrimming = qint64(8) << 20;
    if (always || freedBytes >= kWorthTrimming) malloc_trim(0);
#else
    Q_UNUSED(freedBytes);
    Q_UNUSED(always);
#endif
}

void ShareHeapWithThreads() {
#ifdef __GLIBC__
    static std::once_flag once;
    std::call_once(once, [] { mallopt(M_ARENA_MAX, 1); });
#endif
}
