// The banner's question and the browser conversation under Wine: a fake browser (a DDE server of
// the fixtures) writes down what it is sent; starting a program and opening the default browser
// go through the platform double, so no real browser is ever started.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>
#include <vector>

#include "DialogAnswer.h"
#include "FixturePaths.h"
#include "MixedMachine.h"
#include "toolkit/Dde.h"
#include "toolkit/Form.h"
#include "ui/HomePage.h"

namespace rondel::testing {
namespace {

using namespace platform;

class HomePage : public ::testing::Test, protected MixedMachine {
protected:
    HomePage() : MixedMachine(kFakeShell) {
        fake.registry.SetString("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", "C:\\Program Files");
        char temp[MAX_PATH] = {};
        ::GetTempPathA(MAX_PATH, temp);
        record = std::string(temp) + "rondel-fake-browser.txt";
        ::DeleteFileA(record.c_str());
    }
    ~HomePage() override {
        if (browser.hProcess != nullptr) {
            ::TerminateProcess(browser.hProcess, 0);
            ::WaitForSingleObject(browser.hProcess, 5000);
            ::CloseHandle(browser.hProcess);
            ::CloseHandle(browser.hThread);
        }
        ::DeleteFileA(record.c_str());
    }

    // Starts the fake browser and waits until its DDE service answers.
    bool StartBrowser() {
        std::string line = "\"" + fixtures::FixturePath("FakeBrowser.exe") + "\" \"" + record + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &browser))
            return false;
        for (int i = 0; i < 200; ++i) {
            TDdeClientConv probe(dde.Id());
            if (probe.SetLink(kBrowserService, kBrowserTopic, nullptr)) return true;
            ::Sleep(50);
        }
        return false;
    }

    // The commands the browser was sent, each with its bytes as they arrived.
    std::vector<std::string> Received() const {
        std::vector<std::string> commands;
        std::ifstream file(record);
        for (std::string hex; std::getline(file, hex);) {
            std::string bytes;
            for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
            commands.push_back(bytes);
        }
        return commands;
    }

    std::vector<std::string> Visit(DialogAnswer::Action action, int argument = 0) {
        DialogAnswer answer(action, argument);
        if (AskToVisitHomePage(owner)) OpenHomePage(system);  // as the window does, its worker opening
        EXPECT_EQ(answer.Seen().text, "ミルテへアクセスしますか？");
        EXPECT_EQ(answer.Seen().buttons, "はい(&Y)|いいえ(&N)");
        ::Sleep(300);  // what was sent has arrived by now
        return Received();
    }

    TDdeInstance dde;
    TForm owner{"RondelTestOwner"};
    std::string record;
    PROCESS_INFORMATION browser{};
};

TEST_F(HomePage, YesSendsTheCommandToTheRunningBrowserAndAnythingElseNothing) {
    ASSERT_TRUE(StartBrowser());
    EXPECT_TRUE(Visit(DialogAnswer::ClickButton, IDNO).empty());
    EXPECT_TRUE(Visit(DialogAnswer::PressEscape).empty());
    EXPECT_TRUE(Visit(DialogAnswer::CloseBox).empty());
    EXPECT_TRUE(fake.shell.executed.empty());

    const std::vector<std::string> sent = Visit(DialogAnswer::ClickButton, IDYES);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0], std::string("\"https://www.example.com/rondel/\",,-1,,,,,") + '\0')
        << "the URL in quotes, seven commas with -1 after the second, and the NUL";
    EXPECT_TRUE(fake.shell.executed.empty()) << "a running browser is not started again";
    EXPECT_TRUE(fake.shell.openedDocuments.empty());
}

TEST_F(HomePage, WithoutABrowserServerTheQuotedBrowserIsStartedThenTheDefaultBrowserOpensThePage) {
    EXPECT_EQ(OpenUrl(system, kHomePageUrl), -1);
    ASSERT_EQ(fake.shell.executed.size(), 1u);
    EXPECT_EQ(fake.shell.executed[0].first, "\"C:\\Program Files\\Internet Explorer\\IEXPLORE.EXE\"");
    EXPECT_EQ(fake.shell.executed[0].second, SW_SHOWMINNOACTIVE);

    // Started, but nobody answers the second try either: the user's default browser.
    fake.shell.executed.clear();
    fake.shell.executeResult = 33;
    Visit(DialogAnswer::ClickButton, IDYES);
    EXPECT_EQ(fake.shell.executed.size(), 1u) << "one more try, no more";
    EXPECT_EQ(fake.shell.openedDocuments, (std::vector<std::string>{kHomePageUrl}));

    // Without "ProgramFilesDir" the browser is looked for from the current drive's root.
    fake.registry.DeleteValue("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
    fake.shell.executed.clear();
    OpenUrl(system, kHomePageUrl);
    ASSERT_EQ(fake.shell.executed.size(), 1u);
    EXPECT_EQ(fake.shell.executed[0].first, "\"\\Internet Explorer\\IEXPLORE.EXE\"");
}

}  // namespace
}  // namespace rondel::testing
