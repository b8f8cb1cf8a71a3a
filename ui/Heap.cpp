#include "ui/Heap.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace lexaro {

void ReturnLargeBlocksToSystem() {
#if defined(M_MMAP_THRESHOLD)  // glibc's
    constexpr int kOwnMappingFrom = 128 * 1024;
    mallopt(M_MMAP_THRESHOLD, kOwnMappingFrom);
#endif
}

}  // namespace lexaro
