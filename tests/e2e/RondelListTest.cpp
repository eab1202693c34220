// RondelList.exe over services registered in the prefix's real Service Control Manager: the
// catalogue end to end, as a script sees it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "FixturePaths.h"
#include "TestService.h"

namespace {

using namespace rondel::fixtures;

struct Listing {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

// Reads a pipe to its end on a thread of its own, so that neither pipe can fill up and stall.
DWORD WINAPI Drain(void* parameter) {
    auto* pipe = static_cast<std::pair<HANDLE, std::string*>*>(parameter);
    char buffer[4096];
    DWORD read = 0;
    while (ReadFile(pipe->first, buffer, sizeof buffer, &read, nullptr) && read > 0) pipe->second->append(buffer, read);
    return 0;
}

// Runs RondelList.exe with an argument string ("" for none) and collects what it writes.
Listing RunRondelList(const std::string& arguments = {}) {
    Listing listing;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE outRead, outWrite, errRead, errWrite;
    if (!CreatePipe(&outRead, &outWrite, &inherit, 0) || !CreatePipe(&errRead, &errWrite, &inherit, 0)) return listing;
    SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = outWrite;
    si.hStdError = errWrite;
    PROCESS_INFORMATION pi{};
    std::string line = "\"" + BuildDirectory() + "RondelList.exe\"" + (arguments.empty() ? "" : " " + arguments);
    const BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(outWrite);
    CloseHandle(errWrite);
    if (started) {
        std::pair<HANDLE, std::string*> outPipe{outRead, &listing.out}, errPipe{errRead, &listing.err};
        HANDLE readers[] = {CreateThread(nullptr, 0, Drain, &outPipe, 0, nullptr),
                            CreateThread(nullptr, 0, Drain, &errPipe, 0, nullptr)};
        if (WaitForSingleObject(pi.hProcess, 120000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &listing.exitCode);
        else TerminateProcess(pi.hProcess, 99);
        WaitForMultipleObjects(2, readers, TRUE, 10000);
        CloseHandle(readers[0]);
        CloseHandle(readers[1]);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    CloseHandle(outRead);
    CloseHandle(errRead);
    return listing;
}

struct Line {
    int tab = -1;
    std::vector<std::string> fields;  // the five fields of the list-item text
};

// Splits the listing; every line must end in CR LF and hold a tab digit and five TAB-ended fields.
std::vector<Line> ParseListing(const std::string& out) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < out.size()) {
        const std::size_t end = out.find("\r\n", start);
        EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
        if (end == std::string::npos) break;
        const std::string text = out.substr(start, end - start);
        start = end + 2;
        Line line;
        EXPECT_TRUE(text.size() >= 2 && text[0] >= '0' && text[0] <= '2' && text[1] == '\t') << text;
        line.tab = text[0] - '0';
        std::size_t from = 2;
        for (std::size_t tab; (tab = text.find('\t', from)) != std::string::npos; from = tab + 1)
            line.fields.push_back(text.substr(from, tab - from));
        EXPECT_EQ(from, text.size()) << "the item text ends with its TAB: " << text;
        EXPECT_EQ(line.fields.size(), 5u) << text;
        line.fields.resize(5);
        lines.push_back(std::move(line));
    }
    return lines;
}

bool ByteGreater(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), [](char x, char y) {
        return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
    });
}

TEST(RondelList, ListsTheFixtureServicesOnceInTheirTabsWithTheirVersionStrings) {
    const std::string p = kTestServicePrefix;
    std::vector<std::unique_ptr<TestService>> services;
    auto add = [&](ServiceDefinition definition) -> TestService& {
        services.push_back(std::make_unique<TestService>(std::move(definition)));
        EXPECT_EQ(services.back()->CreateError(), 0u) << services.back()->Name();
        return *services.back();
    };
    TestService& running = add(ServiceDefinition(p + "LRun").Display("試験 実行中"));
    TestService& paused = add(ServiceDefinition(p + "LPaused").Display("試験 一時停止中"));
    add(ServiceDefinition(p + "LJapanese").Display("試験 日本語版情報").Image("\"" + FixturePath("vi_japanese.exe") + "\" -service"));
    add(ServiceDefinition(p + "LMissing").Display("試験 実行ファイルなし").Image("C:\\no\\such\\dir\\missing.exe -x"));
    add(ServiceDefinition(p + "LNone").Display("試験 版情報なし").Image(FixturePath("vi_none.exe")));
    TestService& indirect = add(ServiceDefinition(p + "LIndirect").Display("試験 間接 仮名").Image(FixturePath("vi_no_icon.exe")));
    TestService& badType = add(ServiceDefinition(p + "LBadType").Display("試験 型が不正").Image(FixturePath("vi_japanese.exe")));
    // Equal display names: the manager refuses them, the registry does not.
    TestService& eq1 = add(ServiceDefinition(p + "LEq1").Display("試験 同名 一"));
    TestService& eq2 = add(ServiceDefinition(p + "LEq2").Display("試験 同名 二"));
    add(ServiceDefinition(p + "LEq3").Display("試験 あ"));
    ASSERT_EQ(running.StartAndWait(), 0u);
    ASSERT_EQ(paused.StartAndWait(), 0u);
    ASSERT_EQ(paused.PauseAndWait(), 0u);
    ASSERT_EQ(indirect.SetString("DisplayName", IndirectStringReference(101)), ERROR_SUCCESS);
    ASSERT_EQ(badType.SetString("Type", "16"), ERROR_SUCCESS);
    ASSERT_EQ(eq1.SetString("DisplayName", "試験 同名"), ERROR_SUCCESS);
    ASSERT_EQ(eq2.SetString("DisplayName", "試験 同名"), ERROR_SUCCESS);

    const Listing listing = RunRondelList();
    ASSERT_EQ(listing.exitCode, 0u) << listing.err;
    const std::vector<Line> lines = ParseListing(listing.out);

    std::map<std::string, Line> byName;
    for (const Line& line : lines) {
        EXPECT_TRUE(byName.emplace(line.fields[0], line).second) << "listed twice: " << line.fields[0];
    }
    auto expect = [&](const std::string& name, int tab, const std::string& display, const std::string& company,
                      const std::string& description) {
        SCOPED_TRACE(name);
        ASSERT_EQ(byName.count(name), 1u);
        const Line& line = byName[name];
        EXPECT_EQ(line.tab, tab);
        EXPECT_EQ(line.fields[1], display);
        EXPECT_EQ(line.fields[3], company);
        EXPECT_EQ(line.fields[4], description);
    };
    expect(p + "LRun", 0, "試験 実行中", "ロンデル試験株式会社", "ロンデル試験用サービス");
    expect(p + "LPaused", 1, "試験 一時停止中", "ロンデル試験株式会社", "ロンデル試験用サービス");
    expect(p + "LJapanese", 2, "試験 日本語版情報", "ロンデル試験株式会社", "日本語の版情報のある実行ファイル");
    expect(p + "LMissing", 2, "試験 実行ファイルなし", "不明", "実行ファイルが見つかりません");
    expect(p + "LNone", 2, "試験 版情報なし", "不明", "不明");
    expect(p + "LIndirect", 2, "ロンデル間接表示名サービス", byName[p + "LIndirect"].fields[3],
           byName[p + "LIndirect"].fields[4]);
    // Read up to the failing Type: the display name; nothing after it.
    expect(p + "LBadType", 2, "試験 型が不正", "", "");
    EXPECT_EQ(byName[p + "LJapanese"].fields[2], "\"" + FixturePath("vi_japanese.exe") + "\" -service")
        << "the image path as stored";
    EXPECT_NE(listing.err.find(p + "LBadType: 'Type' のデータ型が不正です."), std::string::npos) << listing.err;

    // Tabs in order 0, 1, 2, each sorted by display name as unsigned bytes.
    for (std::size_t k = 1; k < lines.size(); ++k) {
        EXPECT_LE(lines[k - 1].tab, lines[k].tab);
        if (lines[k - 1].tab == lines[k].tab) {
            EXPECT_FALSE(ByteGreater(lines[k - 1].fields[1], lines[k].fields[1]))
                << lines[k - 1].fields[0] << " before " << lines[k].fields[0];
        }
    }

    // Equal names keep the order the exchange sort gives them, from the manager's order.
    std::vector<std::pair<std::string, std::string>> stopped;  // (name, display name) as enumerated
    for (const auto& [name, status] : AllWin32Services()) {
        const int tab = status.dwCurrentState == SERVICE_STOPPED || status.dwCurrentState == SERVICE_STOP_PENDING ? 2 : -1;
        if (tab == 2 && byName.count(name)) stopped.emplace_back(name, byName[name].fields[1]);
    }
    for (std::size_t i = 0; i + 1 < stopped.size(); ++i)
        for (std::size_t j = i + 1; j < stopped.size(); ++j)
            if (ByteGreater(stopped[i].second, stopped[j].second)) std::swap(stopped[i], stopped[j]);
    std::vector<std::string> expectedOrder, listedOrder;
    for (const auto& s : stopped) expectedOrder.push_back(s.first);
    for (const Line& line : lines)
        if (line.tab == 2) listedOrder.push_back(line.fields[0]);
    EXPECT_EQ(listedOrder, expectedOrder);
}

TEST(RondelList, ListsEveryServiceExactlyOnceWith250MoreRegistered) {
    ServiceBatch batch(std::string(kTestServicePrefix) + "Many", 250);
    ASSERT_EQ(batch.CreateError(), 0u);

    const Listing listing = RunRondelList();
    ASSERT_EQ(listing.exitCode, 0u) << listing.err;
    std::map<std::string, int> times;
    for (const Line& line : ParseListing(listing.out)) ++times[line.fields[0]];
    for (const std::string& name : batch.Names()) EXPECT_EQ(times[name], 1) << name;
    for (const auto& [name, count] : times) EXPECT_EQ(count, 1) << name;
    EXPECT_EQ(times.size(), AllWin32Services().size()) << "and nothing but the machine's services";
}

TEST(RondelList, VersionAndHelpOnStdoutAndTheUsageWithExitCode2ForAnyOtherArgument) {
    const std::string usage = "usage: RondelList.exe [--csv [--output FILE] | --version | --help]\r\n";
    const struct {
        std::string arguments;
        DWORD exitCode;
        std::string out;  // what stdout begins with
    } cases[] = {
        {"--version", 0, std::string("RondelList ") + RONDEL_VERSION + "\r\n"},
        {"--help", 0, usage},
        {"-h", 0, usage},
        {"/?", 0, usage},
        {"-csv", 2, ""},
        {"--CSV", 2, ""},
        {"--csv --version", 2, ""},
        {"--version extra", 2, ""},
        {"\"\"", 2, ""},
        {"--output x.csv", 2, ""},
        {"--csv --output", 2, ""},
        {"--output --csv", 2, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const Listing listing = RunRondelList(c.arguments);
        EXPECT_EQ(listing.exitCode, c.exitCode);
        EXPECT_EQ(listing.out.substr(0, c.out.size()), c.out);
        if (c.exitCode == 2) {
            EXPECT_EQ(listing.out, "");
            EXPECT_EQ(listing.err.rfind("usage: RondelList.exe ", 0), 0u) << listing.err;
            EXPECT_EQ(listing.err.find("\r\n"), listing.err.size() - 2) << "one line: " << listing.err;
        } else {
            EXPECT_EQ(listing.err, "");
        }
    }
}

}  // namespace
