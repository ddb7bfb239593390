// The portable scattered read, for platforms without one of their own: one
// Read per piece, stopping where a piece is left short.
#include "platform/File.h"

std::ptrdiff_t CFile::ReadScattered(const CPiece* pieces, std::size_t count) {
    std::ptrdiff_t done = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::ptrdiff_t got = Read(pieces[i].data, pieces[i].size);
        if (got < 0) {
            return done > 0 ? done : -1;
        }
        done += got;
        if (static_cast<std::size_t>(got) < pieces[i].size) {
            break;
        }
    }
    return done;
}
