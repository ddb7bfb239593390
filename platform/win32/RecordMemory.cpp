#include "platform/RecordMemory.h"

// Large pages on Windows need a privilege a desktop user does not have: the
// ordinary heap serves.
std::pmr::memory_resource& GetRecordMemory() {
    return *std::pmr::new_delete_resource();
}
