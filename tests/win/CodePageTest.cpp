#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "platform/Win32Platform.h"

// Everything else assumes it: the tests run with code page 932, or the texts come out garbled.
TEST(WinePlatform, RunsWithCodePage932) {
    ASSERT_EQ(GetACP(), 932u) << "start Wine with LANG=ja_JP.UTF-8 and LC_ALL=ja_JP.UTF-8";
    ASSERT_TRUE(IsDBCSLeadByteEx(932, 0x83));
}

// What the CSV is made with: Wine's own converter, read strictly. Wine gives 0x80 as U+0080 even
// when asked to refuse undefined bytes, and takes the byte after a lone lead byte as its trail.
TEST(WinePlatform, Utf8FromCodePage932GivesTheReplacementCharacterForBytesThatAreNoCharacter) {
    const struct {
        std::string bytes;
        std::string utf8;
    } cases[] = {
        {"\x8E\x8E\x8C\xB1 \xB1", "\xE8\xA9\xA6\xE9\xA8\x93 \xEF\xBD\xB1"},
        {"\x80|\xA0|\xFF", "\xEF\xBF\xBD|\xEF\xBF\xBD|\xEF\xBF\xBD"},
        {"\x81" " \x82", "\xEF\xBF\xBD \xEF\xBF\xBD"},
        {"x\x85\x40y", "x\xEF\xBF\xBDy"},
    };
    for (const auto& c : cases) EXPECT_EQ(rondel::platform::Utf8FromCodePage932(c.bytes), c.utf8) << c.bytes;
}
