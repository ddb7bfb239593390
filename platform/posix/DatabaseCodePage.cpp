#include "platform/DatabaseCodePage.h"

#include <iconv.h>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>

// Windows writes database names in the system's ANSI code page, and the
// handheld of a Japanese or Russian user reads them in that user's code page.
// Here the locale's language stands for the system's code page: the one a
// Windows PC of that language would have.

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
// The most bytes a character takes in a Windows code page.
constexpr std::size_t kLongestCharacter = 4;

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
constexpr std::size_t kConversionFailed = static_cast<std::size_t>(-1);

}  // namespace

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
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value != nullptr && *value != '\0') {
            return GetCodePageOfLocale(value);
        }
    }
    return kWesternCodePage;
}

CDatabaseCodePage::~CDatabaseCodePage() {
    Close();
}

bool CDatabaseCodePage::Open(unsigned codePage) {
    Close();
    const iconv_t converter = iconv_open(ConverterName(codePage).c_str(), kSourceCodePage);
    if (converter == kNoConverter) {
        return false;
    }
    m_converter = converter;
    m_codePage = codePage;
    return true;
}

void CDatabaseCodePage::Close() {
    if (IsOpen()) {
        iconv_close(static_cast<iconv_t>(m_converter));
    }
    m_converter = nullptr;
    m_codePage = 0;
}

bool CDatabaseCodePage::Encode(std::string_view character, std::string& out) const {
    std::string input(character);
    char* from = input.data();
    std::size_t left = input.size();
    char bytes[kLongestCharacter];
    char* to = bytes;
    std::size_t room = sizeof bytes;
    const auto converter = static_cast<iconv_t>(m_converter);
    // Back to the initial state, whatever a failed character left behind.
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &from, &left, &to, &room) == kConversionFailed ||
        iconv(converter, nullptr, nullptr, &to, &room) == kConversionFailed) {
        return false;
    }
    out.append(bytes, static_cast<std::size_t>(to - bytes));
    return true;
}
