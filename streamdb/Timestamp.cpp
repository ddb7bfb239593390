#include "streamdb/Timestamp.h"

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kSecondsPerHour = 3600;
constexpr std::int64_t kSecondsPerMinute = 60;
constexpr int kEpochYear = 1904;

// Days from 0000-03-01 of a proleptic Gregorian date: any common origin
// serves, only differences count.
std::int64_t DayNumber(std::int64_t year, std::int64_t month, std::int64_t day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra;
}

}  // namespace

std::uint32_t MakeTimestamp(const std::tm& local) {
    const std::int64_t days =
        DayNumber(std::int64_t{local.tm_year} + 1900, local.tm_mon + 1, local.tm_mday) -
        DayNumber(kEpochYear, 1, 1);
    const std::int64_t seconds = days * kSecondsPerDay + local.tm_hour * kSecondsPerHour +
                                 local.tm_min * kSecondsPerMinute + local.tm_sec;
    return static_cast<std::uint32_t>(seconds);
}

std::uint32_t CurrentTimestamp() {
    const std::time_t now = std::time(nullptr);
    // One thread only: the shared result of localtime is safe to copy here.
    const std::tm* local = std::localtime(&now);
    if (local == nullptr) {
        local = std::gmtime(&now);
    }
    return local == nullptr ? 0 : MakeTimestamp(*local);
}
