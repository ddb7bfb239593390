#include "tests/support/DatabaseCheck.h"

#include <cstring>

namespace {

constexpr std::size_t kHeader = 78;
constexpr std::size_t kEntry = 8;
constexpr std::size_t kRecord = 4096;
constexpr std::size_t kPayload = 4088;

}  // namespace

std::uint32_t ReadBig(const std::string& bytes, std::size_t offset, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i) {
        value = (value << 8) | static_cast<unsigned char>(bytes.at(offset + i));
    }
    return value;
}

std::string DatabaseNameOf(const std::string& database) {
    return std::string(database.c_str(), strnlen(database.c_str(), 32));
}

::testing::AssertionResult IsStreamDatabaseOf(const std::string& database,
                                              const std::string& input) {
    const std::size_t count = (input.size() + kPayload - 1) / kPayload;
    if (database.size() != kHeader + (kEntry + kRecord) * count) {
        return ::testing::AssertionFailure()
               << "size " << database.size() << " for " << count << " records";
    }
    if (database[31] != '\0' || ReadBig(database, 32, 2) != 0x0088 ||
        ReadBig(database, 34, 2) != 1 || ReadBig(database, 36, 4) != ReadBig(database, 40, 4) ||
        ReadBig(database, 44, 4) != 0 || ReadBig(database, 48, 4) != 1 ||
        ReadBig(database, 52, 4) != 0 || ReadBig(database, 56, 4) != 0 ||
        database.compare(60, 8, "puzlQntr") != 0 || ReadBig(database, 68, 4) != 0 ||
        ReadBig(database, 72, 4) != 0 || ReadBig(database, 76, 2) != count) {
        return ::testing::AssertionFailure() << "header fields";
    }
    std::string carried;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kHeader + kEntry * i;
        const std::size_t offset = kHeader + kEntry * count + kRecord * i;
        const std::uint32_t id = static_cast<std::uint32_t>(i + 1);
        const char uniqueId[3] = {static_cast<char>(id), static_cast<char>(id >> 8),
                                  static_cast<char>(id >> 16)};
        if (ReadBig(database, entry, 4) != offset || database[entry + 4] != 0 ||
            database.compare(entry + 5, 3, uniqueId, 3) != 0) {
            return ::testing::AssertionFailure() << "record list entry " << i;
        }
        const std::size_t length = ReadBig(database, offset + 6, 2);
        if (database.compare(offset, 6, std::string("DBLK\0\0", 6)) != 0 || length < 9 ||
            length > kRecord || (i + 1 < count && length != kRecord)) {
            return ::testing::AssertionFailure() << "block header of record " << i;
        }
        if (database.find_first_not_of('\x55', offset + length) < offset + kRecord) {
            return ::testing::AssertionFailure() << "filler of record " << i;
        }
        carried += database.substr(offset + 8, length - 8);
    }
    if (carried != input) {
        return ::testing::AssertionFailure() << "records carry other bytes than the input";
    }
    return ::testing::AssertionSuccess();
}
