#include <gtest/gtest.h>

#include <string>

#include "FakePlatform.h"
#include "catalogue/WexFunc.h"

namespace rondel {
namespace {

std::string Extract(std::string text, fake::FakeEnvironment& environment) {
    ExtractExecutablePath(text, environment);
    return text;
}

std::string Expand(std::string text, fake::FakeEnvironment& environment) {
    ExpandEnvironmentVariable(text, environment);
    return text;
}

TEST(ExtractExecutablePath, WorkedExamplesOfStoredImagePaths) {
    fake::FakeEnvironment environment;  // SystemRoot = C:\WINDOWS
    const struct {
        const char* stored;
        const char* expected;
    } cases[] = {
        {R"("C:\Program Files\Foo App\foo.exe" -service)", R"(C:\Program Files\Foo App\foo.exe)"},
        {R"('C:\Program Files\Foo App\foo.exe' -x)", R"(C:\Program Files\Foo App\foo.exe)"},
        {R"(%SystemRoot%\system32\svchost.exe -k netsvcs)", R"(C:\WINDOWS\system32\svchost.exe)"},
        {R"(\SystemRoot\System32\drivers\xyz.sys)", R"(\SystemRoot\System32\drivers\xyz.sys)"},
        {R"(system32\DRIVERS\foo.sys)", R"(system32\DRIVERS\foo.sys)"},
        {R"(C:\Program Files\Foo App\foo.exe)", R"(C:\Program Files\Foo App\foo.exe)"},
        {R"(C:\Program Files\Foo App\foo.exe /run)", R"(C:\Program Files\Foo App\foo.exe)"},
        {R"(C:\WINDOWS\system32\svchost -k rpcss)", R"(C:\WINDOWS\system32\svchost)"},
        {R"(C:\WINDOWS\system32\rundll32.exe shell32.dll,Control_RunDLL)", R"(C:\WINDOWS\system32\rundll32.exe)"},
        {R"(C:\Program Files\Foo App\foo.exe "C:\data dir\x.cfg")", R"(C:\Program)"},
        {R"(C:\Program Files\Don't Panic\dp.exe)", R"(C:\Program Files\Don't Panic\dp.exe)"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(Extract(c.stored, environment), c.expected);
    }
}

TEST(ExtractExecutablePath, QuotesCountOnlyInPairsAndApostrophesOnlyBeforeADriveColon) {
    fake::FakeEnvironment environment;
    // A lone quote of either kind is part of the text, at the start too.
    EXPECT_EQ(Extract(R"(C:\x\a"b.exe -k)", environment), R"(C:\x\a"b.exe)");
    EXPECT_EQ(Extract(R"("C:\a b\c.exe -x)", environment), R"("C:\a b\c.exe)");
    EXPECT_EQ(Extract(R"('C:\a b\c.exe -x)", environment), R"('C:\a b\c.exe)");
    // Apostrophe-quoted with a drive colon after the first apostrophe.
    EXPECT_EQ(Extract(R"('C:\a b\c.exe' -x)", environment), R"(C:\a b\c.exe)");
    // Without a colon the apostrophes stay and the arguments go after the full stop.
    EXPECT_EQ(Extract(R"('\a b\c.exe' -x)", environment), R"('\a b\c.exe')");
    // One kind per pass: double quotes first here, then the apostrophes inside.
    EXPECT_EQ(Extract(R"("'C:\a b\c.exe' -x" -y)", environment), R"(C:\a b\c.exe)");
    // A doubled quote inside a quoted field stands for one.
    EXPECT_EQ(Extract(R"("C:\a""b\c.exe" -x)", environment), R"(C:\a"b\c.exe)");
    // An empty quoted field empties the text.
    EXPECT_EQ(Extract(R"("" C:\x.exe)", environment), "");
    // An unquoted first field ends at a blank, not at a double-byte character's lead byte.
    EXPECT_EQ(Extract(R"(C:\サービス\a.exe "arg x")", environment), R"(C:\サービス\a.exe)");
    // Leading blanks before the quoted field do not matter.
    EXPECT_EQ(Extract("  \t\"C:\\a b\\c.exe\" -x", environment), R"(C:\a b\c.exe)");
}

TEST(ExtractExecutablePath, UnclosedQuoteKeepsTheRestLessItsLastCharacter) {
    fake::FakeEnvironment environment;
    EXPECT_EQ(Extract(R"('C:\a b\c.exe'')", environment), R"(C:\a b\c.exe')");
    // The last character is a double-byte one: it goes whole.
    EXPECT_EQ(Extract("'C:\\a b\\表''表", environment), "C:\\a b\\表''");
}

TEST(ExtractExecutablePath, CommaAndBlankCuts) {
    fake::FakeEnvironment environment;
    // The comma cut comes after quote removal, so a quoted comma cuts too.
    EXPECT_EQ(Extract(R"("C:\a,b\c.exe" -x)", environment), R"(C:\a)");
    // No extension: the first blank after the directory part ends the path.
    EXPECT_EQ(Extract(R"(C:\Program Files\App\app -x)", environment), R"(C:\Program Files\App\app)");
    // An argument with a backslash moves the directory part into it: nothing is cut.
    EXPECT_EQ(Extract(R"(C:\Program Files\My App\app -x C:\temp)", environment),
              R"(C:\Program Files\My App\app -x C:\temp)");
    // A full stop in a directory name is the first full stop.
    EXPECT_EQ(Extract(R"(C:\v1.2 x\app -k)", environment), R"(C:\v1.2)");
    EXPECT_EQ(Extract("", environment), "");
    EXPECT_EQ(Extract("   ", environment), "");
}

TEST(ExtractExecutablePath, TrailByteBackslashIsNoDirectorySeparator) {
    fake::FakeEnvironment environment;
    // 表 is 0x95 0x5C: its trail byte must not end the directory part.
    ASSERT_EQ(std::string("表"), "\x95\x5C");
    EXPECT_EQ(Extract("C:\\a\\b 表 -x", environment), "C:\\a\\b");
    EXPECT_EQ(Extract("C:\\dir\\a b表", environment), "C:\\dir\\a");
}

TEST(ExtractExecutablePath, ReferenceInTheArgumentsKeepsTheExecutable) {
    fake::FakeEnvironment environment;
    environment.variables["TEMP"] = R"(C:\Temp)";
    EXPECT_EQ(Expand(R"(C:\x\app.exe -log %TEMP%\a.log)", environment), R"(C:\x\app.exe -log C:\Temp\a.log)");
    EXPECT_EQ(Extract(R"(C:\x\app.exe -log %TEMP%\a.log)", environment), R"(C:\x\app.exe)");
    EXPECT_EQ(Extract(R"("%SystemRoot%\my app\a.exe" -x)", environment), R"(C:\WINDOWS\my app\a.exe)");
}

TEST(ExtractExecutablePath, ResultIsAtMost259Characters) {
    fake::FakeEnvironment environment;
    const std::string longPath = "C:\\" + std::string(300, 'a');
    EXPECT_EQ(Extract(longPath, environment), longPath.substr(0, 259));
    // A double-byte character across the limit goes whole.
    const std::string straddling = "C:\\" + std::string(255, 'a') + "表x";
    EXPECT_EQ(Extract(straddling, environment), straddling.substr(0, 258));
    // An expansion that outgrows the limit is cut too.
    environment.variables["BIG"] = "C:\\" + std::string(250, 'b');
    EXPECT_EQ(Extract("%BIG%\\sub\\app.exe", environment).size(), 259u);
}

TEST(ExpandEnvironmentVariable, ExpandsOnlyTheFirstReference) {
    fake::FakeEnvironment environment;
    environment.variables["A"] = "alpha";
    environment.variables["B"] = "beta";
    EXPECT_EQ(Expand("no reference", environment), "no reference");
    EXPECT_EQ(Expand("50% off", environment), "50% off");
    EXPECT_EQ(Expand("%%abc", environment), "abc");
    EXPECT_EQ(Expand(R"(%UNSET%\x.exe)", environment), R"(\x.exe)");
    EXPECT_EQ(Expand(R"(%A%\%B%)", environment), R"(alpha\%B%)");
    EXPECT_EQ(Expand(R"(front %a% back)", environment), R"(front alpha back)");
    EXPECT_EQ(Expand("", environment), "");
}

TEST(ExpandEnvironmentVariable, ValueThatDoesNotFitAPathExpandsToNothing) {
    fake::FakeEnvironment environment;
    environment.variables["FITS"] = std::string(259, 'f');
    environment.variables["LONG"] = std::string(260, 'l');
    EXPECT_EQ(Expand("%FITS%", environment), std::string(259, 'f'));
    EXPECT_EQ(Expand(R"(%LONG%\x)", environment), R"(\x)");
    // What follows the value is cut at the limit, not beyond it.
    EXPECT_EQ(Expand(R"(%FITS%\x)", environment), std::string(259, 'f'));
    // A text that is already too long is cut at a character boundary first.
    EXPECT_EQ(Expand(std::string(258, 'a') + "表", environment), std::string(258, 'a'));
}

TEST(GetSystemDir, ReportsTheSystemDirectoryOrNothing) {
    fake::FakeEnvironment environment;
    EXPECT_EQ(GetSystemDir(environment), R"(C:\WINDOWS\system32)");
    environment.systemDirectory = "";
    EXPECT_EQ(GetSystemDir(environment), "");
}

}  // namespace
}  // namespace rondel
