#pragma once

#include <cstddef>
#include <memory>

// One large piece of zero-filled memory for bulk data, taken from the system
// as a whole. Where the system can back it with large pages it does, so that
// filling hundreds of megabytes costs a few hundred page faults, not tens of
// thousands. Throws std::bad_alloc when the memory cannot be had.
class CBulkMemory {
public:
    explicit CBulkMemory(std::size_t size);

    unsigned char* GetData() const { return m_data.get(); }
    std::size_t GetSize() const { return m_data.get_deleter().size; }

private:
    struct CRelease {
        std::size_t size = 0;
        void operator()(unsigned char* data) const;
    };

    std::unique_ptr<unsigned char[], CRelease> m_data;
};
