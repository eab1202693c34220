#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "FixturePaths.h"

namespace {

DWORD RunAndWait(const std::string& commandLine, DWORD timeoutMs) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return 0xFFFFFFFF;
    WaitForSingleObject(pi.hProcess, timeoutMs);
    DWORD code = 0xFFFFFFFE;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

TEST(Programs, RondelListRunsToItsEnd) {
    EXPECT_EQ(RunAndWait("\"" + rondel::fixtures::BuildDirectory() + "RondelList.exe\"", 60000), 0u);
}

}  // namespace
