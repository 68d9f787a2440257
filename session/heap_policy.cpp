#include "session/heap_policy.h"

// Any C library header tells whether this is glibc.
#include <cstdlib>
#ifdef __GLIBC__
#include <malloc.h>
#endif

void KeepFreedHeapForReuse()
{
#ifdef __GLIBC__
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}
