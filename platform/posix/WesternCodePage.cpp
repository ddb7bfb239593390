#include "platform/posix/WesternCodePage.h"

#include <iconv.h>

#include <cerrno>
#include <vector>

namespace {

constexpr char kTargetCodePage[] = "WINDOWS-1252";
constexpr char kSourceCodePage[] = "UTF-8";
constexpr char kUnrepresentable = '_';
constexpr std::size_t kChunkSize = 256;

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
constexpr std::size_t kConversionFailed = static_cast<std::size_t>(-1);

class CConverter {
public:
    CConverter() : m_handle(iconv_open(kTargetCodePage, kSourceCodePage)) {}
    ~CConverter() {
        if (m_handle != kNoConverter) {
            iconv_close(m_handle);
        }
    }
    CConverter(const CConverter&) = delete;
    CConverter& operator=(const CConverter&) = delete;

    // Converts as much as it can; false where it stops at a character it
    // cannot take, with `from` left at that character.
    bool Convert(char*& from, std::size_t& left, std::string& out) {
        if (m_handle == kNoConverter) {
            // Without the system's tables only ASCII is known for sure.
            while (left > 0 && static_cast<unsigned char>(*from) < 0x80) {
                out += *from++;
                --left;
            }
            return left == 0;
        }
        while (left > 0) {
            char chunk[kChunkSize];
            char* to = chunk;
            std::size_t room = sizeof chunk;
            const std::size_t result = iconv(m_handle, &from, &left, &to, &room);
            out.append(chunk, static_cast<std::size_t>(to - chunk));
            if (result == kConversionFailed && errno != E2BIG) {
                return false;
            }
        }
        return true;
    }

private:
    iconv_t m_handle;
};

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// The length of the UTF-8 character at `at`; 1 when no well-formed one starts there.
std::size_t CharacterLength(const char* at, std::size_t left) {
    const auto lead = static_cast<unsigned char>(at[0]);
    std::size_t length = 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    }
    if (length > left) {
        return 1;
    }
    for (std::size_t i = 1; i < length; ++i) {
        if (!IsContinuation(static_cast<unsigned char>(at[i]))) {
            return 1;
        }
    }
    return length;
}

}  // namespace

std::string ToWindows1252(std::string_view utf8) {
    std::vector<char> input(utf8.begin(), utf8.end());
    char* from = input.data();
    std::size_t left = input.size();
    std::string out;
    CConverter converter;
    while (!converter.Convert(from, left, out)) {
        const std::size_t skipped = CharacterLength(from, left);
        from += skipped;
        left -= skipped;
        out += kUnrepresentable;
    }
    return out;
}
