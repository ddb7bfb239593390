#pragma once

#include <cstdint>
#include <ctime>

// Whole seconds from 1904-01-01 00:00:00 to the local wall-clock time
// `local`, kept to the low 32 bits as the handheld stores dates.
std::uint32_t MakeTimestamp(const std::tm& local);

// MakeTimestamp of the current local time.
std::uint32_t CurrentTimestamp();
