#include "heap.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

void GiveBackFreedHeap(qint64 freedBytes) {
#ifdef __GLIBC__
    constexpr qint64 kWorthTrimming = qint64(8) << 20;
    if (freedBytes >= kWorthTrimming) malloc_trim(0);
#else
    Q_UNUSED(freedBytes);
#endif
}
