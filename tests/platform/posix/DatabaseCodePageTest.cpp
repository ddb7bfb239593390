#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <utility>
#include <vector>

#include "common/PathHelpers.h"
#include "platform/BufferedWriter.h"
#include "platform/DatabaseCodePage.h"
#include "platform/File.h"
#include "platform/PathRules.h"
#include "streamdb/StreamBlockArray.h"
#include "tests/support/DatabaseCheck.h"
#include "tests/support/TestFiles.h"

namespace {

constexpr unsigned kWestern = 1252;

// The name a database in a file named `title` goes by in `codePage`.
std::string NameIn(const CDatabaseCodePage& codePage, const std::string& title) {
    const CTempFolder folder;
    WriteBytes(title + ".pdb", "x");
    CFile file;
    EXPECT_TRUE(file.Open(title + ".pdb", CFile::EOpenMode::kReadExisting)) << title;
    return MakeDatabaseName(file, codePage);
}

std::string NameIn(unsigned codePage, const std::string& title) {
    CDatabaseCodePage converter;
    EXPECT_TRUE(converter.Open(codePage)) << codePage;
    return NameIn(converter, title);
}

TEST(DatabaseCodePageTest, KeepsWhatTheCodePageHoldsAndMarksTheRest) {
    EXPECT_EQ(NameIn(kWestern, "Sunday Puzzle"), "Sunday Puzzle");
    EXPECT_EQ(NameIn(kWestern, "Caf\xC3\xA9 \xC3\x9C"), "Caf\xE9 \xDC");
    // The euro sign and curly quotes sit where only Windows-1252 has them.
    EXPECT_EQ(NameIn(kWestern, "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D"), "\x80 \x93q\x94");
    // One mark per character, whatever its length in UTF-8: x🧩 is x_.
    EXPECT_EQ(NameIn(kWestern, "\xE6\x97\xA5\xE6\x9C\xAC-\xF0\x9F\xA7\xA9-\xD0\x96"), "__-_-_");
    EXPECT_EQ(NameIn(kWestern, "x\xF0\x9F\xA7\xA9"), "x_");
    // No look-alike: Ω is no 'O'.
    EXPECT_EQ(NameIn(kWestern, "\xCE\xA9mega"), "_mega");
    EXPECT_EQ(NameIn(kWestern, ""), "");
}

TEST(DatabaseCodePageTest, BytesThatAreNoUtf8AreMarkedOneByOne) {
    EXPECT_EQ(NameIn(kWestern,
                     "a\xFF"
                     "b"),
              "a_b");
    EXPECT_EQ(NameIn(kWestern, "\xE9t\xE9"), "_t_");      // Latin-1 bytes in a UTF-8 world
    EXPECT_EQ(NameIn(kWestern, "end\xE2\x82"), "end__");  // a character cut off
    EXPECT_EQ(NameIn(kWestern,
                     "\xC3"
                     "A\xC3\xA9"),
              "_A\xE9");                                 // a lead byte without its trail
    EXPECT_EQ(NameIn(kWestern, "\xE0\x80\x80"), "___");  // an overlong form
    // Bytes already in CP932 are no UTF-8 either.
    EXPECT_EQ(NameIn(932, "\x93\xFA\xE6\x97\xA5"), "__\x93\xFA");
}

// Japanese, Simplified Chinese and Cyrillic are written whole below.
TEST(DatabaseCodePageTest, EachCodePageWritesItsOwnBytes) {
    // 中文字, 한국어 and ไทย as a Windows PC of each language writes them.
    EXPECT_EQ(NameIn(950, "\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97"), "\xA4\xA4\xA4\xE5\xA6\x72");
    EXPECT_EQ(NameIn(949, "\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4"), "\xC7\xD1\xB1\xB9\xBE\xEE");
    EXPECT_EQ(NameIn(874, "\xE0\xB9\x84\xE0\xB8\x97\xE0\xB8\xA2"), "\xE4\xB7\xC2");
    EXPECT_EQ(NameIn(1253, "\xCE\xA9mega"), "\xD9mega");
    // What one code page holds, another need not.
    EXPECT_EQ(NameIn(932, "\xD0\x9F-\xC3\xA9"), "\x84\x50-_");
}

// Without the system's tables only ASCII is known for sure.
TEST(DatabaseCodePageTest, ConverterThatCannotBeOpenedKnowsOnlyAscii) {
    CDatabaseCodePage converter;
    EXPECT_FALSE(converter.Open(99999));
    EXPECT_FALSE(converter.IsOpen());
    EXPECT_EQ(NameIn(converter, "Caf\xC3\xA9 7"), "Caf_ 7");
}

// The locales as glibc names them; the code pages as Windows gives them.
TEST(DatabaseCodePageTest, TheLanguageChoosesTheCodePageOfAWindowsPc) {
    const std::vector<std::pair<unsigned, std::vector<const char*>>> expected = {
        {874, {"th_TH.UTF-8"}},
        {932, {"ja_JP.UTF-8", "ja"}},
        {936, {"zh_CN.UTF-8", "zh_SG.GBK"}},
        {949, {"ko_KR.UTF-8"}},
        {950, {"zh_TW.UTF-8", "zh_HK.UTF-8"}},
        {1250, {"pl_PL.UTF-8", "hu_HU", "sr_RS@latin"}},
        {1251, {"ru_RU.UTF-8", "uk_UA", "kk_KZ", "sr_RS.UTF-8", "uz_UZ@cyrillic"}},
        {1253, {"el_GR.UTF-8"}},
        {1254, {"tr_TR.UTF-8", "uz_UZ.UTF-8"}},
        {1255, {"he_IL.UTF-8"}},
        {1256, {"ar_EG.UTF-8", "fa_IR", "ur_PK", "pa_PK"}},
        {1257, {"lt_LT.UTF-8", "et_EE"}},
        {1258, {"vi_VN"}},
        {kWestern,
         {"de_DE.UTF-8", "en_US.ISO-8859-1", "pa_IN", "sd_IN@devanagari", "C", "C.UTF-8", "POSIX",
          "", "x-klingon"}},
    };
    for (const auto& [codePage, locales] : expected) {
        for (const char* locale : locales) {
            EXPECT_EQ(GetCodePageOfLocale(locale), codePage) << locale;
        }
    }
}

// A locale variable, LC_ALL unless named, set for the test's lifetime, as
// it was afterwards; no locale need be installed for it to choose the code page.
class CLocaleEnvironment {
public:
    explicit CLocaleEnvironment(const char* locale, const char* variable = "LC_ALL")
        : m_variable(variable) {
        if (const char* previous = std::getenv(variable)) {
            m_previous = previous;
        }
        setenv(variable, locale, 1);
    }
    ~CLocaleEnvironment() {
        if (m_previous) {
            setenv(m_variable, m_previous->c_str(), 1);
        } else {
            unsetenv(m_variable);
        }
    }
    CLocaleEnvironment(const CLocaleEnvironment&) = delete;
    CLocaleEnvironment& operator=(const CLocaleEnvironment&) = delete;

private:
    const char* m_variable;
    std::optional<std::string> m_previous;
};

TEST(DatabaseCodePageTest, TheLocaleIsTheOneThatSaysWhatCharactersTextHolds) {
    // Set but empty counts as not set.
    const CLocaleEnvironment all("", "LC_ALL");
    const CLocaleEnvironment type("", "LC_CTYPE");
    const CLocaleEnvironment lang("", "LANG");
    {
        const CLocaleEnvironment messages("ja_JP.UTF-8", "LC_MESSAGES");
        const CLocaleEnvironment language("ja", "LANGUAGE");
        EXPECT_EQ(GetDatabaseCodePage(), kWestern);
    }
    const CLocaleEnvironment japanese("ja_JP.UTF-8", "LANG");
    EXPECT_EQ(GetDatabaseCodePage(), 932u);
    const CLocaleEnvironment russian("ru_RU.UTF-8", "LC_CTYPE");
    EXPECT_EQ(GetDatabaseCodePage(), 1251u);
    const CLocaleEnvironment greek("el_GR.UTF-8", "LC_ALL");
    EXPECT_EQ(GetDatabaseCodePage(), 1253u);
}

// The name a database gets when written to a file named `fileName`.
std::string NameOfDatabaseIn(const std::string& fileName) {
    CFile file;
    EXPECT_TRUE(file.OpenReplacement(fileName, CFile()));
    CDatabaseCodePage codePage;
    codePage.Open(GetDatabaseCodePage());
    CBufferedWriter writer(file);
    CStreamBlockArray().WriteDatabase(writer, codePage, 0);
    EXPECT_TRUE(writer.Flush());
    EXPECT_TRUE(file.Commit());
    return DatabaseNameOf(ReadBytes(fileName));
}

std::string Repeat(const std::string& text, int count) {
    std::string repeated;
    for (int i = 0; i < count; ++i) {
        repeated += text;
    }
    return repeated;
}

TEST(DatabaseCodePageTest, DatabaseNameIsTranscodedBeforeTheCut) {
    CTempFolder folder;
    const CLocaleEnvironment locale("en_US.UTF-8");
    EXPECT_EQ(NameOfDatabaseIn("Caf\xC3\xA9 \xE2\x82\xAC.pdb"), "Caf\xE9 \x80");
    // 31 characters of two UTF-8 bytes each: all of them fit once transcoded.
    EXPECT_EQ(NameOfDatabaseIn(Repeat("\xC3\xA9", 32) + ".pdb"), std::string(31, '\xE9'));
    // Cut in UTF-8, the 31st byte would have split the character.
    EXPECT_EQ(NameOfDatabaseIn(std::string(30, 'a') + "\xE6\x97\xA5\xE6\x9C\xAC.pdb"),
              std::string(30, 'a') + "_");
    EXPECT_EQ(NameOfDatabaseIn("\xE6\x97\xA5.b.pdb"), "_.b");
}

TEST(DatabaseCodePageTest, DatabaseNamesAreInTheCodePageOfTheUsersLanguage) {
    CTempFolder folder;
    {
        const CLocaleEnvironment locale("ja_JP.UTF-8");
        EXPECT_EQ(NameOfDatabaseIn("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.pdb"),
                  "\x93\xFA\x96\x7B\x8C\xEA");
    }
    {
        const CLocaleEnvironment locale("zh_CN.UTF-8");
        EXPECT_EQ(NameOfDatabaseIn("\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97.pdb"),
                  "\xD6\xD0\xCE\xC4\xD7\xD6");
    }
    {
        const CLocaleEnvironment locale("ru_RU.UTF-8");
        EXPECT_EQ(NameOfDatabaseIn("\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82.pdb"),
                  "\xCF\xF0\xE8\xE2\xE5\xF2");
    }
    {
        const CLocaleEnvironment locale("C");
        EXPECT_EQ(NameOfDatabaseIn("\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97 C.pdb"), "___ C");
    }
}

TEST(DatabaseCodePageTest, TheCutNeverSplitsADoubleByteCharacter) {
    CTempFolder folder;
    const CLocaleEnvironment locale("ja_JP.UTF-8");
    // 16 characters of two bytes: 32 bytes, cut to 30, never 31 with half of one.
    const std::string nihon = "\xE6\x97\xA5";  // 日, 0x93 0xFA
    EXPECT_EQ(NameOfDatabaseIn(Repeat(nihon, 16) + ".pdb"), Repeat("\x93\xFA", 15));
    // The lead bytes of the second range, after an even number of single bytes.
    const std::string you = "\xE6\xBC\xBE";  // 漾, 0xE0 0x40
    EXPECT_EQ(NameOfDatabaseIn("ab" + Repeat(you, 15) + ".pdb"), "ab" + Repeat("\xE0\x40", 14));
    // Half-width katakana are single bytes whose values a lead byte may also
    // have in other code pages: all 31 fit.
    EXPECT_EQ(NameOfDatabaseIn(Repeat("\xEF\xBD\xB1", 32) + ".pdb"), std::string(31, '\xB1'));
}

// Paths stay UTF-8: read as CP932, the bytes of あ would take the '/' after
// them for the second byte of a character.
TEST(DatabaseCodePageTest, PathsAreSplitAsUtf8WhateverTheDatabaseCodePage) {
    const CLocaleEnvironment locale("ja_JP.UTF-8");
    EXPECT_EQ(StripPath("/home/\xE3\x81\x82/x.puz", kPathRules), "x.puz");
    EXPECT_EQ(GetNamePart("/home/\xE3\x81\x82/\xE3\x81\x82.puz", kPathRules), "\xE3\x81\x82.puz");
    EXPECT_EQ(StripExtension("\xE3\x81\x82.puz"), "\xE3\x81\x82");
}

}  // namespace
