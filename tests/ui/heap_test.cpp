#include "ui/Heap.h"

#include <gtest/gtest.h>

#include <cstdlib>

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define LEXARO_SANITIZER_ALLOCATOR
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(memory_sanitizer)
#define LEXARO_SANITIZER_ALLOCATOR
#endif
#endif

namespace {

void* volatile keep;  // so that no allocation below is optimized away

// In a process of its own: what earlier tests left free in the heap could serve the block.
TEST(HeapTest, ABlockOfMegabytesGetsAMappingOfItsOwnEvenAfterALargerOneWasFreed) {
#if defined(LEXARO_SANITIZER_ALLOCATOR) || !defined(M_MMAP_THRESHOLD)
    GTEST_SKIP() << "not glibc's allocator";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            lexaro::ReturnLargeBlocksToSystem();
            // Left to itself, glibc would from now on serve every block up to 16 MB from the
            // shared heap.
            keep = std::malloc(std::size_t{16} << 20);
            std::free(keep);
            const std::size_t mappedBefore = mallinfo2().hblks;
            keep = std::malloc(std::size_t{4} << 20);
            const std::size_t mappedWith = mallinfo2().hblks;
            std::free(keep);
            std::exit(mappedWith == mappedBefore + 1 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
#endif
}

}  // namespace
