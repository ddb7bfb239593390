#pragma once

#include <cstddef>
#include <memory>

class CFile;

// The bytes of a file open for reading, lent by the system from its own cache
// without copying them. Only the system may touch them, by writing them to
// another file (CFile::WriteGathered): a file cut short meanwhile then fails
// that write rather than ending the program.
class CFileMapping {
public:
    enum class EResult {
        kMapped,
        kUnmappable,  // the platform cannot lend this file's bytes; read it instead
        kTooLarge,    // the file holds more than the largest size asked for
        kReadFailed,
    };

    // Maps all that `file` holds, from its start, and has the system read it
    // in at once, so that a read error shows here.
    EResult Map(CFile& file, std::size_t largest);

    const unsigned char* GetData() const { return m_data.get(); }
    std::size_t GetSize() const { return m_data.get_deleter().size; }

private:
    struct CUnmap {
        std::size_t size;
        void operator()(const unsigned char* data) const;
    };

    std::unique_ptr<const unsigned char[], CUnmap> m_data;
};
