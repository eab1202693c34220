// A registry value of the wrong kind in one service: Rondel.exe still shows the machine, and
// reports the error once, through the general error handler, after the lists are shown.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "FixturePaths.h"
#include "TestService.h"

namespace {

using namespace rondel::fixtures;

std::string WindowText(HWND window) {
    // Another process's window: ask in UTF-16 and convert, as Wine answers "A" requests across
    // processes in UTF-16.
    wchar_t text[512] = {};
    GetWindowTextW(window, text, 512);
    char ansi[1024] = {};
    WideCharToMultiByte(932, 0, text, -1, ansi, sizeof ansi, nullptr, nullptr);
    return ansi;
}

struct Found {
    HWND box = nullptr;
    std::vector<std::string> texts;
};

BOOL CALLBACK CollectText(HWND child, LPARAM lParam) {
    reinterpret_cast<Found*>(lParam)->texts.push_back(WindowText(child));
    return TRUE;
}

TEST(RegistryErrorReport, OneBadServiceIsListedAndReportedOnceAfterTheListsAreShown) {
    TestService bad(ServiceDefinition(std::string(kTestServicePrefix) + "EBadType").Display("試験 型エラー"));
    ASSERT_EQ(bad.CreateError(), 0u);
    ASSERT_EQ(bad.SetString("Type", "16"), ERROR_SUCCESS);

    std::string line = "\"" + BuildDirectory() + "Rondel.exe\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    CloseHandle(pi.hThread);

    HWND main = nullptr;
    Found found;
    for (int i = 0; i < 600 && found.box == nullptr; ++i) {
        Sleep(50);
        main = FindWindowA("RondelPlainWindow", nullptr);
        found.box = FindWindowA("#32770", "ロンデル");
    }
    ASSERT_NE(found.box, nullptr) << "the error is shown";
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(IsWindowVisible(main)) << "after the lists are shown";
    EnumChildWindows(found.box, CollectText, reinterpret_cast<LPARAM>(&found));
    bool hasText = false;
    for (const auto& text : found.texts) hasText = hasText || text == "'Type' のデータ型が不正です.";
    EXPECT_TRUE(hasText) << "the error's text with a full stop";

    // The service is listed despite its error, with the rest of the machine.
    HWND edit = FindWindowExA(main, nullptr, "EDIT", nullptr);
    // GetWindowText does not ask another process's control for its text: send the message.
    const auto length = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
    std::vector<wchar_t> wide(static_cast<std::size_t>(length) + 1);
    SendMessageW(edit, WM_GETTEXT, wide.size(), reinterpret_cast<LPARAM>(wide.data()));
    std::vector<char> ansi(wide.size() * 2 + 1);
    WideCharToMultiByte(932, 0, wide.data(), -1, ansi.data(), static_cast<int>(ansi.size()), nullptr, nullptr);
    const std::string listing = ansi.data();
    EXPECT_NE(listing.find("[ " + bad.Name() + " ] 試験 型エラー"), std::string::npos);
    EXPECT_NE(listing.find("[ RpcSs ]"), std::string::npos);

    PostMessageA(found.box, WM_COMMAND, IDOK, 0);
    for (int i = 0; i < 100 && IsWindow(found.box); ++i) Sleep(50);
    EXPECT_FALSE(IsWindow(found.box));
    Sleep(300);
    EXPECT_EQ(FindWindowA("#32770", "ロンデル"), nullptr) << "reported once";

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForSingleObject(pi.hProcess, 20000), WAIT_OBJECT_0);
    CloseHandle(pi.hProcess);
}

}  // namespace
