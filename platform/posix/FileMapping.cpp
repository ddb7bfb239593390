#include "platform/FileMapping.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdint>

#include "platform/File.h"

CFileMapping::EResult CFileMapping::Map(CFile& file, std::size_t largest) {
    m_data.reset();
    const int fd = static_cast<int>(file.GetHandle());
    struct stat info {};
    // A size of 0 may also be a file whose size the system does not know
    // (such as those under /proc): reading tells.
    if (fstat(fd, &info) != 0 || info.st_size <= 0) {
        return EResult::kUnmappable;
    }
    if (static_cast<std::uintmax_t>(info.st_size) > largest) {
        return EResult::kTooLarge;
    }
#ifndef MADV_POPULATE_READ
    // Without a way to read the file in up front, read errors would only show
    // while writing; the file is read instead.
    return EResult::kUnmappable;
#else
    const auto size = static_cast<std::size_t>(info.st_size);
    void* data = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    if (data == MAP_FAILED) {
        return EResult::kUnmappable;
    }
    if (madvise(data, size, MADV_POPULATE_READ) != 0) {
        const int error = errno;
        munmap(data, size);
        // Systems before Linux 5.14 do not know the advice.
        return error == EINVAL ? EResult::kUnmappable : EResult::kReadFailed;
    }
    m_data = std::unique_ptr<const unsigned char[], CUnmap>(static_cast<unsigned char*>(data),
                                                            CUnmap{size});
    return EResult::kMapped;
#endif
}

void CFileMapping::CUnmap::operator()(const unsigned char* data) const {
    munmap(const_cast<unsigned char*>(data), size);
}
