// The program's every operator new, counted: replacing them here replaces
// them for the whole test program.
#include "tests/support/posix/AllocationFailure.h"

#include <cstdlib>
#include <new>

namespace {

// One thread allocates while a failure is armed; 0 when none is.
std::size_t g_left = 0;
bool g_failed = false;

void* Allocate(std::size_t size, std::size_t alignment) {
    if (g_left > 0 && --g_left == 0) {
        g_failed = true;
        return nullptr;
    }
    size = size == 0 ? 1 : size;
    if (alignment <= alignof(std::max_align_t)) {
        return std::malloc(size);
    }
    return std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
}

void* AllocateOrThrow(std::size_t size, std::size_t alignment) {
    void* memory = Allocate(size, alignment);
    if (memory == nullptr) {
        throw std::bad_alloc();
    }
    return memory;
}

}  // namespace

CAllocationFailure::CAllocationFailure(std::size_t count) {
    g_failed = false;
    g_left = count;
}

CAllocationFailure::~CAllocationFailure() {
    g_left = 0;
}

bool CAllocationFailure::HasFailed() const {
    return g_failed;
}

void* operator new(std::size_t size) {
    return AllocateOrThrow(size, 0);
}
void* operator new[](std::size_t size) {
    return AllocateOrThrow(size, 0);
}
void* operator new(std::size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new[](std::size_t size, std::align_val_t alignment) {
    return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size, 0);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    return Allocate(size, 0);
}
void operator delete(void* memory) noexcept {
    std::free(memory);
}
void operator delete[](void* memory) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}
void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
    std::free(memory);
}
