// The version-resource side of the seam against Wine's version.dll and the vi_* fixtures.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "FixturePaths.h"
#include "TestService.h"
#include "platform/Win32Platform.h"

namespace {

using rondel::fixtures::FixturePath;
using rondel::platform::Win32FileSystem;

constexpr uint32_t kJapaneseUnicode = 0x04B00411;  // language 0411, code page 04B0 (1200)

std::vector<uint8_t> ReadBlock(Win32FileSystem& files, const std::string& file) {
    std::vector<uint8_t> block(files.VersionInfoSize(file));
    EXPECT_FALSE(block.empty()) << file << " has no version information";
    if (!block.empty()) {
        EXPECT_TRUE(files.ReadVersionInfo(file, block)) << file;
    }
    return block;
}

TEST(Win32VersionInfo, JapaneseTableComesBackInCodePage932) {
    Win32FileSystem files;
    const auto block = ReadBlock(files, FixturePath("vi_japanese.exe"));
    EXPECT_EQ(files.QueryTranslations(block), std::vector<uint32_t>{kJapaneseUnicode});

    const std::string table = "\\StringFileInfo\\041104B0\\";
    EXPECT_EQ(files.QueryString(block, table + "CompanyName"), "ロンデル試験株式会社");
    EXPECT_EQ(files.QueryString(block, table + "FileDescription"), "日本語の版情報のある実行ファイル");
    EXPECT_EQ(files.QueryString(block, table + "ProductName"), "ロンデル試験製品");
    EXPECT_EQ(files.QueryString(block, table + "ProductVersion"), "2.0.1");
    EXPECT_EQ(files.QueryString(block, table + "OriginalFilename"), "vi_japanese.exe");
    // Bytes, not characters: "ロ" is 0x83 0x8D in code page 932.
    const auto company = files.QueryString(block, table + "CompanyName");
    ASSERT_TRUE(company.has_value());
    EXPECT_EQ(static_cast<unsigned char>((*company)[0]), 0x83);
    EXPECT_EQ(company->size(), 20u);

    // Sub-block names match without regard to case; an empty value is found, and empty.
    EXPECT_EQ(files.QueryString(block, "\\stringfileinfo\\041104b0\\companyname"), "ロンデル試験株式会社");
    EXPECT_EQ(files.QueryString(block, table + "Comments"), "");
    // A key or a table that is not there is no value at all.
    EXPECT_EQ(files.QueryString(block, table + "PrivateBuild"), std::nullopt);
    EXPECT_EQ(files.QueryString(block, "\\StringFileInfo\\040904E4\\CompanyName"), std::nullopt);
}

TEST(Win32VersionInfo, EachFixtureHasTheShapeItIsNamedFor) {
    Win32FileSystem files;

    // The translation names a table that is absent; the English one beside it is readable.
    auto block = ReadBlock(files, FixturePath("vi_missing_table.exe"));
    EXPECT_EQ(files.QueryTranslations(block), std::vector<uint32_t>{kJapaneseUnicode});
    EXPECT_EQ(files.QueryString(block, "\\StringFileInfo\\041104B0\\CompanyName"), std::nullopt);
    EXPECT_EQ(files.QueryString(block, "\\StringFileInfo\\040904E4\\CompanyName"), "Rondel Test Works");
    EXPECT_EQ(files.QueryString(block, "\\StringFileInfo\\040904E4\\ProductVersion"), "1.5");

    // The first table holds CompanyName alone; the second table has more, under another name.
    block = ReadBlock(files, FixturePath("vi_company_only.exe"));
    EXPECT_EQ(files.QueryTranslations(block), std::vector<uint32_t>{kJapaneseUnicode});
    EXPECT_EQ(files.QueryString(block, "\\StringFileInfo\\041104B0\\CompanyName"), "会社名だけの試験会社");
    for (const char* key : {"FileDescription", "FileVersion", "InternalName", "LegalCopyright",
                            "OriginalFilename", "ProductName", "ProductVersion"})
        EXPECT_EQ(files.QueryString(block, std::string("\\StringFileInfo\\041104B0\\") + key), std::nullopt) << key;
    EXPECT_EQ(files.QueryString(block, "\\StringFileInfo\\040904E4\\FileDescription"), "Second table, never to be read");

    // String tables without a translation list.
    block = ReadBlock(files, FixturePath("vi_no_translation.exe"));
    EXPECT_EQ(files.QueryTranslations(block), std::nullopt);
    EXPECT_EQ(files.QueryString(block, "\\StringFileInfo\\041104B0\\CompanyName"), "翻訳一覧のない会社");

    // Good version information on an executable without icons.
    block = ReadBlock(files, FixturePath("vi_no_icon.exe"));
    EXPECT_EQ(files.QueryTranslations(block), std::vector<uint32_t>{kJapaneseUnicode});
    EXPECT_EQ(files.QueryString(block, "\\StringFileInfo\\041104B0\\FileDescription"), "アイコンのない実行ファイル");

    // The test service shows who made it, as the catalogue will.
    block = ReadBlock(files, FixturePath("RondelTestService.exe"));
    EXPECT_EQ(files.QueryString(block, "\\StringFileInfo\\041104B0\\CompanyName"), "ロンデル試験株式会社");
    EXPECT_EQ(files.QueryString(block, "\\StringFileInfo\\041104B0\\FileDescription"), "ロンデル試験用サービス");
}

TEST(Win32VersionInfo, FilesWithoutVersionInformation) {
    Win32FileSystem files;
    EXPECT_EQ(files.VersionInfoSize(FixturePath("vi_none.exe")), 0u);
    EXPECT_EQ(files.VersionInfoSize(FixturePath("no-such-file.exe")), 0u);
    EXPECT_EQ(files.VersionInfoSize(""), 0u);
    // Reading into a block too small for the resource must not write past it.
    std::vector<uint8_t> guarded(64 + 16, 0xAB);
    files.ReadVersionInfo(FixturePath("vi_japanese.exe"), std::span<uint8_t>(guarded.data(), 64));
    for (std::size_t i = 64; i < guarded.size(); ++i) EXPECT_EQ(guarded[i], 0xAB) << i;
}

// What Wine 8's own files carry (the services of a fresh prefix run from them): the English
// table 040904B0, not 040904E4; its service programs have no version information at all.
TEST(WineBehaviour, OwnBinariesCarryTheEnglishTableOrNoVersion) {
    Win32FileSystem files;
    rondel::platform::Win32Environment environment;
    const std::string system = environment.SystemDirectory() + "\\";
    const auto block = ReadBlock(files, system + "shell32.dll");
    EXPECT_EQ(files.QueryTranslations(block), std::vector<uint32_t>{0x04B00409u});
    EXPECT_EQ(files.QueryString(block, "\\StringFileInfo\\040904B0\\CompanyName"), "Microsoft Corporation");
    EXPECT_EQ(files.QueryString(block, "\\StringFileInfo\\040904E4\\CompanyName"), std::nullopt);
    EXPECT_EQ(files.VersionInfoSize(system + "services.exe"), 0u);
    EXPECT_EQ(files.VersionInfoSize(system + "svchost.exe"), 0u);
}

}  // namespace

namespace {

// The block read in one load gives every query what the two-step block gives.
TEST(Win32VersionInfo, OneLoadBlockAnswersAsTheTwoStepBlock) {
    Win32FileSystem files;
    char systemDir[MAX_PATH] = {};
    GetSystemDirectoryA(systemDir, MAX_PATH);
    const std::string keys[] = {"CompanyName", "FileDescription", "FileVersion", "ProductName", "ProductVersion"};
    for (const std::string& file : {FixturePath("vi_japanese.exe"), FixturePath("vi_company_only.exe"),
                                    FixturePath("vi_missing_table.exe"), FixturePath("vi_no_translation.exe"),
                                    rondel::fixtures::TestServicePath(), std::string(systemDir) + "\\shell32.dll"}) {
        const std::vector<uint8_t> twoStep = ReadBlock(files, file);
        const std::vector<uint8_t> oneLoad = files.VersionBlock(file);
        ASSERT_FALSE(oneLoad.empty()) << file;
        const auto translations = files.QueryTranslations(twoStep);
        EXPECT_EQ(files.QueryTranslations(oneLoad), translations) << file;
        for (const std::string& table : {std::string("041104B0"), std::string("040904E4"), std::string("040904B0")})
            for (const std::string& key : keys) {
                const std::string query = "\\StringFileInfo\\" + table + "\\" + key;
                EXPECT_EQ(files.QueryString(oneLoad, query), files.QueryString(twoStep, query)) << file << query;
            }
    }
    EXPECT_TRUE(files.VersionBlock(FixturePath("vi_none.exe")).empty());
    EXPECT_TRUE(files.VersionBlock(FixturePath("no-such-file.exe")).empty());
}

}  // namespace
