#include "ui/HomePage.h"

#include <windows.h>

#include "catalogue/WexFunc.h"
#include "toolkit/Dde.h"
#include "toolkit/MessageDialog.h"

namespace rondel {

std::string OpenUrlCommand(const std::string& url) { return "\"" + url + "\",,-1,,,,,"; }

int OpenUrl(platform::Platform& system, const std::string& url) {
    // A DDEML instance serves the thread that made it only.
    const TDdeInstance instance;
    TDdeClientConv conversation(instance.Id());
    std::string browser = GetProgramFilesDir(system.registry) + "\\Internet Explorer\\IEXPLORE.EXE";
    ExpandEnvironmentVariable(browser, system.environment);
    conversation.SetServiceApplication(browser);
    // Quoted, so that "C:\Program Files\..." never starts "C:\Program.exe".
    const auto start = [&](const std::string& path) {
        return system.shell.Execute("\"" + path + "\"", SW_SHOWMINNOACTIVE);
    };
    if (!conversation.SetLink(kBrowserService, kBrowserTopic, start)) return -1;
    return conversation.ExecuteMacro(OpenUrlCommand(url)) ? 0 : -1;
}

bool AskToVisitHomePage(TForm& owner) {
    return ShowMessageDialog("ミルテへアクセスしますか？", mtConfirmation, mbYes | mbNo, 0, owner.Handle()) == mrYes;
}

void TellHomePageTurnedOff(TForm& owner) {
    ShowMessageDialog("ホームページへのアクセスは管理者によって無効にされています。", mtInformation, DialogButtons(mbOK), 0,
                      owner.Handle());
}

void OpenHomePage(platform::Platform& system) {
    // The user said Yes: when no browser takes the request over DDE, the default browser opens the page.
    if (OpenUrl(system, kHomePageUrl) != 0) system.shell.OpenDocument(kHomePageUrl);
}

}  // namespace rondel
