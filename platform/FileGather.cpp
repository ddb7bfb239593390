// The portable gathered write, for platforms without one of their own: the
// pieces are gathered in a staging buffer and written in large writes.
#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/File.h"

namespace {

constexpr std::size_t kStagingSize = std::size_t{1} << 20;

}  // namespace

bool CFile::WriteGathered(const CPiece* pieces, std::size_t count) {
    std::vector<unsigned char> staged;
    staged.reserve(kStagingSize);
    for (std::size_t i = 0; i < count; ++i) {
        const auto* bytes = static_cast<const unsigned char*>(pieces[i].data);
        std::size_t size = pieces[i].size;
        while (size > 0) {
            const std::size_t room = kStagingSize - staged.size();
            const std::size_t part = std::min(size, room);
            staged.insert(staged.end(), bytes, bytes + part);
            bytes += part;
            size -= part;
            if (staged.size() == kStagingSize) {
                if (!Write(staged.data(), staged.size())) {
                    return false;
                }
                staged.clear();
            }
        }
    }
    return staged.empty() || Write(staged.data(), staged.size());
}
