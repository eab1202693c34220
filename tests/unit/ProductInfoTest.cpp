#include <gtest/gtest.h>

#include <string>

#include "FakePlatform.h"
#include "catalogue/WexFunc.h"

namespace rondel {
namespace {

using Tables = std::map<std::string, std::map<std::string, std::string>, fake::NoCaseLess>;

void AddVersioned(fake::FakeMachine& machine, const std::string& path,
                  std::optional<std::vector<uint32_t>> translations, Tables tables) {
    fake::FakeVersionInfo version;
    version.translations = std::move(translations);
    version.tables = std::move(tables);
    machine.files.AddFile(path, fake::FakeFile{std::move(version), std::nullopt});
}

void ExpectAllEmpty(const TWexProductInfo& info) {
    for (const std::string* field : {&info.CompanyName, &info.FileDescription, &info.FileVersion,
                                     &info.InternalName, &info.LegalCopyright, &info.OriginalFilename,
                                     &info.ProductName, &info.ProductVersion, &info.ShortVersion})
        EXPECT_EQ(*field, "");
}

TEST(GetProductInfo, ReadsTheJapaneseTableOfTheFirstTranslation) {
    fake::FakeMachine machine;
    auto system = machine.Platform();
    AddVersioned(machine, R"(C:\svc\jp.exe)", std::vector<uint32_t>{0x04B00411},
                 {{"041104B0",
                   {{"CompanyName", "株式会社ロンデル"}, {"FileDescription", "サービス表示ツール"},
                    {"FileVersion", "1.23.4.5"}, {"InternalName", "jp"}, {"LegalCopyright", "著作権 ソフト"},
                    {"OriginalFilename", "jp.exe"}, {"ProductName", "ロンデル"}, {"ProductVersion", "1.23.4.5"}}}});
    TWexProductInfo info;
    ASSERT_EQ(GetProductInfo(system, R"(C:\svc\jp.exe)", info), 0);
    EXPECT_EQ(info.CompanyName, "株式会社ロンデル");
    EXPECT_EQ(info.FileDescription, "サービス表示ツール");
    EXPECT_EQ(info.FileVersion, "1.23.4.5");
    EXPECT_EQ(info.InternalName, "jp");
    EXPECT_EQ(info.LegalCopyright, "著作権 ソフト");
    EXPECT_EQ(info.OriginalFilename, "jp.exe");
    EXPECT_EQ(info.ProductName, "ロンデル");
    EXPECT_EQ(info.ProductVersion, "1.23.4.5") << "the version itself stays whole";
    EXPECT_EQ(info.ShortVersion, "1.23");
}

TEST(GetProductInfo, FallsBackToTheUsEnglishTableOnlyWhenTheFirstGaveNothing) {
    fake::FakeMachine machine;
    auto system = machine.Platform();
    // The first translation names a table that is not there; the second one is never tried.
    AddVersioned(machine, R"(C:\svc\missing.exe)", std::vector<uint32_t>{0x04E40411, 0x04B00411},
                 {{"041104B0", {{"CompanyName", "second"}}},
                  {"040904E4", {{"CompanyName", "Fallback Inc."}, {"ProductVersion", "10.20.30.40"}}}});
    // The first table holds only an empty CompanyName: found, so no second pass.
    AddVersioned(machine, R"(C:\svc\company.exe)", std::vector<uint32_t>{0x04B00411},
                 {{"041104B0", {{"CompanyName", ""}}},
                  {"040904E4", {{"FileDescription", "never read"}, {"ProductVersion", "9.9.9"}}}});
    // Language and code page are zero-padded to four digits each.
    AddVersioned(machine, R"(C:\svc\padded.exe)", std::vector<uint32_t>{0x00000009},
                 {{"00090000", {{"ProductName", "P"}}}});

    TWexProductInfo info;
    ASSERT_EQ(GetProductInfo(system, R"(C:\svc\missing.exe)", info), 0);
    EXPECT_EQ(info.CompanyName, "Fallback Inc.");
    EXPECT_EQ(info.ShortVersion, "10.20");

    ASSERT_EQ(GetProductInfo(system, R"(C:\svc\company.exe)", info), 0);
    ExpectAllEmpty(info);

    ASSERT_EQ(GetProductInfo(system, R"(C:\svc\padded.exe)", info), 0);
    EXPECT_EQ(info.ProductName, "P");
}

TEST(GetProductInfo, FailsWithAllFieldsEmptyAndLeavesNothingOfThePreviousFile) {
    fake::FakeMachine machine;
    auto system = machine.Platform();
    const Tables full{{"041104B0", {{"CompanyName", "前の会社"}, {"ProductVersion", "1.2.3"}}}};
    AddVersioned(machine, R"(C:\svc\full.exe)", std::vector<uint32_t>{0x04B00411}, full);
    machine.files.AddFile(R"(C:\svc\plain.exe)");  // no version resource
    AddVersioned(machine, R"(C:\svc\notrans.exe)", std::nullopt, full);
    AddVersioned(machine, R"(C:\svc\emptytrans.exe)", std::vector<uint32_t>{}, full);
    AddVersioned(machine, R"(C:\svc\notable.exe)", std::vector<uint32_t>{0x04E40411}, full);
    AddVersioned(machine, R"(C:\svc\few.exe)", std::vector<uint32_t>{0x04B00411},
                 {{"041104B0", {{"ProductName", "Few"}}}});

    for (const char* file : {R"(C:\svc\plain.exe)", R"(C:\svc\notrans.exe)", R"(C:\svc\emptytrans.exe)",
                             R"(C:\svc\notable.exe)", R"(C:\svc\absent.exe)"}) {
        SCOPED_TRACE(file);
        TWexProductInfo info;
        ASSERT_EQ(GetProductInfo(system, R"(C:\svc\full.exe)", info), 0);
        EXPECT_EQ(GetProductInfo(system, file, info), -1);
        ExpectAllEmpty(info);
    }

    // A second file with fewer keys keeps none of the first one's.
    TWexProductInfo info;
    ASSERT_EQ(GetProductInfo(system, R"(C:\svc\full.exe)", info), 0);
    ASSERT_EQ(GetProductInfo(system, R"(C:\svc\few.exe)", info), 0);
    EXPECT_EQ(info.ProductName, "Few");
    EXPECT_EQ(info.CompanyName, "");
    EXPECT_EQ(info.ShortVersion, "");
}

TEST(ProductInfo, ShortVersionIsTheTextBeforeTheSecondFullStop) {
    EXPECT_EQ(ShortVersion("2.0"), "");
    EXPECT_EQ(ShortVersion("2.0.1"), "2.0");
    EXPECT_EQ(ShortVersion("10.20.30.40"), "10.20");
    EXPECT_EQ(ShortVersion("1..2"), "1.");
    EXPECT_EQ(ShortVersion(""), "");

    TWexProductInfo info;
    info.CompanyName = "x";
    info.ShortVersion = "y";
    ClearProductInfo(info);
    ExpectAllEmpty(info);
}

}  // namespace
}  // namespace rondel
