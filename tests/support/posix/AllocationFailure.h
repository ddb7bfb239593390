#pragma once

#include <cstddef>

// Makes one allocation fail with std::bad_alloc, as memory running out would:
// the `count`th one through operator new from now on, while the object lives.
class CAllocationFailure {
public:
    explicit CAllocationFailure(std::size_t count);
    ~CAllocationFailure();
    CAllocationFailure(const CAllocationFailure&) = delete;
    CAllocationFailure& operator=(const CAllocationFailure&) = delete;

    // Whether the failing allocation was reached.
    bool HasFailed() const;
};
