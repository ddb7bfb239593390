// The portable kind, for platforms without one of their own: nothing is
// lent, every file is read.
#include "platform/FileMapping.h"

CFileMapping::EResult CFileMapping::Map(CFile&, std::size_t) {
    return EResult::kUnmappable;
}

void CFileMapping::CUnmap::operator()(const unsigned char*) const {}
