#include <gtest/gtest.h>
#include <windows.h>

// Everything else assumes it: the tests run with code page 932, or the texts come out garbled.
TEST(WinePlatform, RunsWithCodePage932) {
    ASSERT_EQ(GetACP(), 932u) << "start Wine with LANG=ja_JP.UTF-8 and LC_ALL=ja_JP.UTF-8";
    ASSERT_TRUE(IsDBCSLeadByteEx(932, 0x83));
}
