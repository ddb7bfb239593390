#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

// Reads a big-endian number out of a byte string.
std::uint32_t ReadBig(const std::string& bytes, std::size_t offset, std::size_t size);

// The zero-terminated database name in a file's header.
std::string DatabaseNameOf(const std::string& database);

// Whether `database` is a complete stream database whose records carry
// exactly `input`, with every fixed field as the handheld expects it.
::testing::AssertionResult IsStreamDatabaseOf(const std::string& database,
                                              const std::string& input);
