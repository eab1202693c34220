#include <gtest/gtest.h>
#include <windows.h>

#include "platform/Win32Platform.h"

// Everything else assumes it: the tests run with code page 932, or the texts come out garbled.
TEST(WineBehaviour, RunsWithCodePage932) {
    ASSERT_EQ(GetACP(), 932u) << "start Wine with LANG=ja_JP.UTF-8 and LC_ALL=ja_JP.UTF-8";
    ASSERT_TRUE(IsDBCSLeadByteEx(932, 0x83));
    // The CSV's converter refuses an undefined code (0x85 0x40), which the lenient call gives as U+30FB.
    EXPECT_EQ(rondel::platform::Utf8FromCodePage932("\x8E\x8E x\x85\x40y"), "\xE8\xA9\xA6 x\xEF\xBF\xBDy");
}
