#include "platform/BulkMemory.h"

#include <sys/mman.h>

#include <cstdint>
#include <new>

namespace {

// The size of a large page on the machines this runs on.
constexpr std::size_t kLargePage = std::size_t{2} << 20;

// Fresh anonymous pages, aligned to a large page so that the system can back
// every whole large page of the piece with one.
unsigned char* MapAligned(std::size_t size) {
    const std::size_t spare = size >= kLargePage ? kLargePage : 0;
    void* mapped =
        mmap(nullptr, size + spare, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) {
        throw std::bad_alloc();
    }
    auto* start = static_cast<unsigned char*>(mapped);
    const std::size_t head =
        spare == 0
            ? 0
            : (kLargePage - reinterpret_cast<std::uintptr_t>(start) % kLargePage) % kLargePage;
    if (head > 0) {
        munmap(start, head);
    }
    if (spare > head) {
        munmap(start + head + size, spare - head);
    }
    start += head;
#ifdef MADV_HUGEPAGE
    // Only a hint: where large pages are off or scarce, small ones serve.
    madvise(start, size, MADV_HUGEPAGE);
#endif
    return start;
}

}  // namespace

CBulkMemory::CBulkMemory(std::size_t size) : m_data(MapAligned(size), CRelease{size}) {}

void CBulkMemory::CRelease::operator()(unsigned char* data) const {
    munmap(data, size);
}
