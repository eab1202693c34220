// WriteWholeFile under Wine: paths at MAX_PATH's edge, a file written over, temporary names
// already taken.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/Win32Handles.h"
#include "platform/Win32Platform.h"
#include "text/AnsiText.h"

namespace {

using rondel::platform::AnsiToWide;
using rondel::platform::WriteWholeFile;

// Directories deeper than the "A" functions reach are made and read through "\\?\".
std::wstring Long(const std::string& path) { return L"\\\\?\\" + AnsiToWide(path); }

std::string Root() { return "C:\\RondelWrite" + std::to_string(GetCurrentProcessId()); }

// Root() and below it directories of `fill` up to `length` characters in all.
std::string MakeDirectory(std::size_t length, const std::string& fill) {
    std::string directory = Root();
    CreateDirectoryW(Long(directory).c_str(), nullptr);
    std::size_t left = length - AnsiToWide(directory).size();
    while (left > 0) {
        std::size_t count = std::min<std::size_t>(left - 1, 100);
        if (left - 1 - count == 1) --count;  // a last component of no characters
        std::string component;
        while (AnsiToWide(component).size() < count) component += fill;
        directory += "\\" + component;
        left -= count + 1;
        CreateDirectoryW(Long(directory).c_str(), nullptr);
    }
    return directory;
}

std::set<std::wstring> Names(const std::string& directory) {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW(Long(directory + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        if (std::wstring(found.cFileName) != L"." && std::wstring(found.cFileName) != L"..") names.insert(found.cFileName);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

std::string Read(const std::string& file) {
    rondel::unique_file handle(
        CreateFileW(Long(file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes(4096, '\0');
    DWORD read = 0;
    if (!handle || !ReadFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) return "(none)";
    bytes.resize(read);
    return bytes;
}

void Write(const std::string& file, const std::string& bytes) {
    rondel::unique_file handle(CreateFileW(Long(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    DWORD written = 0;
    ASSERT_TRUE(handle && WriteFile(handle.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
}

void RemoveTree(const std::string& directory) {
    for (const std::wstring& name : Names(directory)) {
        const std::string path = directory + "\\" + rondel::platform::WideToAnsi(name);
        if (!DeleteFileW(Long(path).c_str())) RemoveTree(path);
    }
    RemoveDirectoryW(Long(directory).c_str());
}

class WholeFileWrite : public ::testing::Test {
protected:
    void TearDown() override { RemoveTree(Root()); }
};

// Whenever the file fits MAX_PATH its temporary file does too: each path is written new and then
// over the file it made, and its directory holds the file alone after each write.
TEST_F(WholeFileWrite, PathsUpToMaxPathAreWrittenNewAndOver) {
    struct Case {
        std::size_t length;  // characters, the file's name included
        std::string name, fill;
    };
    std::vector<Case> cases;
    for (std::size_t length = 250; length <= rondel::kMaxPathLength; ++length) {
        cases.push_back({length, "services.csv", "d"});
        cases.push_back({length, "a", "d"});  // no room beside it for more than one character
    }
    cases.push_back({255, "一覧.csv", "表"});  // counted in characters, not in bytes
    cases.push_back({rondel::kMaxPathLength, "表", "表"});
    for (const Case& c : cases) {
        const std::string directory = MakeDirectory(c.length - AnsiToWide(c.name).size() - 1, c.fill);
        const std::string file = directory + "\\" + c.name;
        SCOPED_TRACE(std::to_string(c.length) + " characters, " + c.name);
        ASSERT_EQ(AnsiToWide(file).size(), c.length);
        const std::set<std::wstring> alone{AnsiToWide(c.name)};
        for (const char* bytes : {"the first list\r\n", "the second, a longer one\r\n", "third\r\n"}) {
            EXPECT_EQ(WriteWholeFile(file, bytes), 0u);
            EXPECT_EQ(Read(file), bytes);
            EXPECT_EQ(Names(directory), alone) << "nothing left beside it";
        }
        RemoveTree(Root());
    }
}

// The temporary file is made new: a leftover of the usual name (a process of the same id that
// was killed), or every short name that fits, is never written over; with no name free the
// write fails and leaves nothing.
TEST_F(WholeFileWrite, TheTemporaryFileNeverReplacesAnother) {
    const std::string shortDirectory = MakeDirectory(40, "d");
    const std::string usual = shortDirectory + "\\list.csv." + std::to_string(GetCurrentProcessId()) + ".tmp";
    Write(usual, "someone's");
    EXPECT_EQ(WriteWholeFile(shortDirectory + "\\list.csv", "list"), 0u);
    EXPECT_EQ(Read(shortDirectory + "\\list.csv"), "list");
    EXPECT_EQ(Read(usual), "someone's");
    EXPECT_EQ(Names(shortDirectory).size(), 2u);

    // Beside a file of 259 characters named "a", every name of one character is taken.
    const std::string directory = MakeDirectory(rondel::kMaxPathLength - 2, "d");
    const std::string file = directory + "\\a";
    std::set<std::wstring> taken;
    for (char c = '!'; c <= '~'; ++c) {
        if (std::string("\\/:*?\"<>|.a").find(c) != std::string::npos || (c >= 'A' && c <= 'Z')) continue;
        Write(directory + "\\" + c, "keep");
        taken.insert(std::wstring(1, static_cast<wchar_t>(c)));
    }
    EXPECT_NE(WriteWholeFile(file, "list"), 0u);
    EXPECT_EQ(Names(directory), taken) << "nothing made, nothing replaced";
    for (const std::wstring& name : taken) EXPECT_EQ(Read(directory + "\\" + static_cast<char>(name[0])), "keep");

    ASSERT_TRUE(DeleteFileW(Long(directory + "\\7").c_str()));
    taken.erase(L"7");
    EXPECT_EQ(WriteWholeFile(file, "list"), 0u) << "a name is free again";
    EXPECT_EQ(Read(file), "list");
    taken.insert(L"a");
    EXPECT_EQ(Names(directory), taken);
}

}  // namespace
