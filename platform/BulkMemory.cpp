// The portable kind, for platforms without one of their own: the free store.
#include "platform/BulkMemory.h"

CBulkMemory::CBulkMemory(std::size_t size) : m_data(new unsigned char[size](), CRelease{size}) {}

void CBulkMemory::CRelease::operator()(unsigned char* data) const {
    delete[] data;
}
