// Environment, files, the system directory and global atoms of the seam, under Wine.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <string>

#include "FixturePaths.h"
#include "platform/Win32Platform.h"

namespace {

using namespace rondel::platform;

TEST(Win32Environment, UnsetEmptyAndLongVariables) {
    Win32Environment environment;
    SetEnvironmentVariableA("RONDEL_TEST_UNSET", nullptr);
    EXPECT_EQ(environment.Variable("RONDEL_TEST_UNSET"), std::nullopt);
    EXPECT_EQ(environment.Variable(""), std::nullopt);

    // Set but empty is not unset.
    ASSERT_TRUE(SetEnvironmentVariableA("RONDEL_TEST_EMPTY", ""));
    EXPECT_EQ(environment.Variable("RONDEL_TEST_EMPTY"), "");

    ASSERT_TRUE(SetEnvironmentVariableA("RONDEL_TEST_JAPANESE", "C:\\ロンデル\\表示"));
    EXPECT_EQ(environment.Variable("RONDEL_TEST_JAPANESE"), "C:\\ロンデル\\表示");
    // Names match without regard to case.
    EXPECT_EQ(environment.Variable("rondel_test_japanese"), "C:\\ロンデル\\表示");

    // Longer than a path buffer, and exactly at its edges.
    for (std::size_t length : {259u, 260u, 261u, 5000u, 32000u}) {
        const std::string value(length, 'v');
        ASSERT_TRUE(SetEnvironmentVariableA("RONDEL_TEST_LONG", value.c_str())) << length;
        EXPECT_EQ(environment.Variable("RONDEL_TEST_LONG"), value) << length;
    }

    EXPECT_TRUE(environment.Variable("SystemRoot").has_value());
    EXPECT_EQ(environment.SystemDirectory(), "C:\\windows\\system32");
}

TEST(Win32Environment, FilesAreFilesNotDirectories) {
    Win32FileSystem files;
    const std::string fixtures = rondel::fixtures::FixtureDirectory();
    EXPECT_TRUE(files.FileExists(fixtures + "vi_none.exe"));
    EXPECT_TRUE(files.FileExists(fixtures + "VI_NONE.EXE"));
    EXPECT_FALSE(files.FileExists(fixtures + "vi_none"));
    EXPECT_FALSE(files.FileExists(fixtures));
    EXPECT_FALSE(files.FileExists(fixtures.substr(0, fixtures.size() - 1)));
    EXPECT_FALSE(files.FileExists(""));
    EXPECT_FALSE(files.FileExists("C:\\" + std::string(300, 'a') + ".exe"));

    // Relative paths are taken from the current directory.
    char saved[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, saved);
    ASSERT_TRUE(SetCurrentDirectoryA(fixtures.c_str()));
    EXPECT_TRUE(files.FileExists("vi_none.exe"));
    EXPECT_TRUE(files.FileExists(".\\RondelStrings.dll"));
    SetCurrentDirectoryA(saved);
    EXPECT_FALSE(files.FileExists("vi_none.exe"));

    const std::string self = files.ModuleFileName();
    EXPECT_EQ(self, rondel::fixtures::BuildDirectory() + "rondel_win_tests.exe");
    EXPECT_TRUE(files.FileExists(self));
}

TEST(Win32Environment, GlobalAtomsAreFoundByNameUntilDeleted) {
    Win32AtomTable atoms;
    const std::string name = "RondelTestAtom_" + std::to_string(GetCurrentProcessId());
    EXPECT_EQ(atoms.FindGlobalAtom(name), 0);
    const uint16_t atom = atoms.AddGlobalAtom(name);
    ASSERT_NE(atom, 0);
    EXPECT_EQ(atoms.FindGlobalAtom(name), atom);
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    EXPECT_EQ(atoms.FindGlobalAtom(upper), atom);
    atoms.DeleteGlobalAtom(atom);
    EXPECT_EQ(atoms.FindGlobalAtom(name), 0);

    // A program's file name in code page 932 as the marker's name.
    const std::string japanese = "ロンデル試験" + std::to_string(GetCurrentProcessId()) + ".exe";
    const uint16_t marker = atoms.AddGlobalAtom(japanese);
    ASSERT_NE(marker, 0);
    EXPECT_EQ(atoms.FindGlobalAtom(japanese), marker);
    atoms.DeleteGlobalAtom(marker);
    EXPECT_EQ(atoms.FindGlobalAtom(japanese), 0);
}

}  // namespace
