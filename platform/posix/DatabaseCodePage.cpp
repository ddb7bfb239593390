#include "platform/posix/DatabaseCodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <initializer_list>
#include <vector>

namespace {

constexpr unsigned kWesternCodePage = 1252;

// What Windows gives each language as its ANSI code page, keyed as glibc
// names its locales: language, language_TERRITORY or language@modifier
// ("sr_RS" is Cyrillic there, "uz_UZ" Latin). Kazakh, which some tables list
// with none, is a Kazakh PC's system code page: Cyrillic.
struct SCodePageLocales {
    unsigned codePage;
    const char* keys;  // separated by blanks
};
constexpr SCodePageLocales kCodePageLocales[] = {
    {874, "th"},
    {932, "ja"},
    {936, "zh"},  // zh_CN and zh_SG
    {949, "ko"},
    {950, "zh_HK zh_MO zh_TW"},
    {1250, "bs cs hr hu pl ro sk sl sq sr@latin tk"},
    {1251, "ba be bg kk ky mk mn ru sah sr tg tt uk uz@cyrillic"},
    {1253, "el"},
    {1254, "az tr uz"},
    {1255, "he iw"},
    {1256, "ar ckb fa pa_PK sd ug ur"},  // pa_PK is Shahmukhi, sd_IN Arabic
    {1257, "et lt lv"},
    {1258, "vi"},
    {kWesternCodePage, "sd@devanagari"},
};

// The first byte of each double-byte character, as Windows' tables give it.
struct SLeadByteRange {
    unsigned codePage;
    unsigned char first;
    unsigned char last;
};
constexpr SLeadByteRange kLeadByteRanges[] = {
    {932, 0x81, 0x9F}, {932, 0xE0, 0xFC}, {936, 0x81, 0xFE}, {949, 0x81, 0xFE}, {950, 0x81, 0xFE},
};

// glibc's converter for a Windows code page; CP936 is its GBK, CP949 its UHC,
// CP950 its BIG5 and CP874 its IBM874, all with the Windows tables' bytes.
std::string ConverterName(unsigned codePage) {
    return "CP" + std::to_string(codePage);
}

// The code page listed for `key`, or none.
const unsigned* FindLocale(std::string_view key) {
    for (const SCodePageLocales& entry : kCodePageLocales) {
        std::string_view keys = entry.keys;
        while (!keys.empty()) {
            const std::size_t end = std::min(keys.find(' '), keys.size());
            if (keys.substr(0, end) == key) {
                return &entry.codePage;
            }
            keys.remove_prefix(std::min(end + 1, keys.size()));
        }
    }
    return nullptr;
}

constexpr char kSourceCodePage[] = "UTF-8";
constexpr char kUnrepresentable = '_';
constexpr std::size_t kChunkSize = 256;

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
constexpr std::size_t kConversionFailed = static_cast<std::size_t>(-1);

class CConverter {
public:
    explicit CConverter(unsigned codePage)
        : m_handle(iconv_open(ConverterName(codePage).c_str(), kSourceCodePage)) {}
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

    // Puts out what a converter with a state of its own holds back.
    void Finish(std::string& out) {
        if (m_handle == kNoConverter) {
            return;
        }
        char chunk[kChunkSize];
        char* to = chunk;
        std::size_t room = sizeof chunk;
        iconv(m_handle, nullptr, nullptr, &to, &room);
        out.append(chunk, static_cast<std::size_t>(to - chunk));
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

std::string GetCharacterLocale(const EnvironmentLookup& lookup) {
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = lookup(name);
        if (value != nullptr && *value != '\0') {
            return value;
        }
    }
    return "C";
}

unsigned GetCodePageOfLocale(std::string_view locale) {
    // language[_territory][.codeset][@modifier]
    const std::size_t at = locale.find('@');
    const std::string_view modifier =
        at == std::string_view::npos ? std::string_view() : locale.substr(at + 1);
    const std::string_view name = locale.substr(0, at);
    const std::string_view territorial = name.substr(0, name.find('.'));
    const std::string_view language = territorial.substr(0, territorial.find('_'));
    const unsigned* found = nullptr;
    if (!modifier.empty()) {
        found = FindLocale(std::string(language) + "@" + std::string(modifier));
    }
    if (found == nullptr) {
        found = FindLocale(territorial);
    }
    if (found == nullptr) {
        found = FindLocale(language);
    }
    return found != nullptr ? *found : kWesternCodePage;
}

unsigned GetDatabaseCodePage() {
    return GetCodePageOfLocale(GetCharacterLocale(std::getenv));
}

bool IsLeadByteOf(unsigned codePage, unsigned char byte) {
    for (const SLeadByteRange& range : kLeadByteRanges) {
        if (range.codePage == codePage && byte >= range.first && byte <= range.last) {
            return true;
        }
    }
    return false;
}

std::string ToCodePage(std::string_view utf8, unsigned codePage) {
    std::vector<char> input(utf8.begin(), utf8.end());
    char* from = input.data();
    std::size_t left = input.size();
    std::string out;
    CConverter converter(codePage);
    while (!converter.Convert(from, left, out)) {
        const std::size_t skipped = CharacterLength(from, left);
        from += skipped;
        left -= skipped;
        out += kUnrepresentable;
    }
    converter.Finish(out);
    return out;
}
