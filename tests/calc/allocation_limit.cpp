// The test program's operator new and delete: malloc and free, with the failures of
// allocation_limit.h.
#include "allocation_limit.h"

#include <cstdlib>
#include <new>

namespace velor::testing {

std::atomic<std::size_t> gAllocationLimit{0};

} // namespace velor::testing

void* operator new(std::size_t size) {
    const std::size_t limit = velor::testing::gAllocationLimit.load(std::memory_order_relaxed);
    void* block = limit != 0 && size > limit ? nullptr : std::malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void operator delete(void* block) noexcept {
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept {
    std::free(block);
}
