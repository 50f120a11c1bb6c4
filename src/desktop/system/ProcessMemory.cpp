#include "desktop/system/ProcessMemory.h"

#include <malloc.h>

namespace quintrel {

void limitHeapArenas() {
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, 2);
#endif
}

void releaseFreeHeap() {
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

}  // namespace quintrel
