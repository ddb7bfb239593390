#include "platform/RecordMemory.h"

#include <sys/mman.h>

#include <cstdlib>
#include <new>

namespace {

constexpr std::size_t kHugePageSize = std::size_t{2} << 20;

// Large pieces aligned to huge pages, which the system is asked to back
// with them; small ones from the ordinary heap.
class CHugePageMemory final : public std::pmr::memory_resource {
private:
    void* do_allocate(std::size_t bytes, std::size_t alignment) override {
        if (bytes < kHugePageSize || alignment > kHugePageSize) {
            return std::pmr::new_delete_resource()->allocate(bytes, alignment);
        }
        // Whole huge pages are asked for, as the alignment wants.
        const std::size_t whole = (bytes + kHugePageSize - 1) / kHugePageSize * kHugePageSize;
        void* const memory = std::aligned_alloc(kHugePageSize, whole);
        if (memory == nullptr) {
            throw std::bad_alloc();
        }
        // Advice only, and Linux's (MADV_HUGEPAGE): without huge pages the
        // memory serves just as well. A huge page at the end would be used in
        // part, and all of it counted against the process: it is left out.
        madvise(memory, bytes / kHugePageSize * kHugePageSize, MADV_HUGEPAGE);
        return memory;
    }

    void do_deallocate(void* memory, std::size_t bytes, std::size_t alignment) override {
        if (bytes < kHugePageSize || alignment > kHugePageSize) {
            std::pmr::new_delete_resource()->deallocate(memory, bytes, alignment);
        } else {
            std::free(memory);
        }
    }

    bool do_is_equal(const std::pmr::memory_resource& other) const noexcept override {
        return this == &other;
    }
};

}  // namespace

std::pmr::memory_resource& GetRecordMemory() {
    static CHugePageMemory memory;
    return memory;
}
