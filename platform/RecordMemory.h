#pragma once

#include <memory_resource>

// Memory for the records of a database: many, of one size, all in use until
// the database is written. Where the system has huge pages it backs large
// pieces with them, so a database of 65535 records costs the system some 130
// page faults rather than 65535, which is most of the time a conversion takes.
std::pmr::memory_resource& GetRecordMemory();
