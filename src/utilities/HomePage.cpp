#include "utilities/HomePage.h"

#include <windows.h>

#include "toolkit/Dde.h"
#include "utilities/MessageDialog.h"
#include "utilities/WexFunc.h"

namespace rondel {

std::string OpenUrlCommand(const std::string& url) { return "\"" + url + "\",,-1,,,,,"; }

int OpenUrl(platform::Platform& system, TForm& /*owner*/, const std::string& url) {
    TDdeClientConv conversation(TDdeInstance::Current());
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

void VisitHomePage(platform::Platform& system, TForm& owner) {
    if (ShowMessageDialog("ミルテへアクセスしますか？", mtConfirmation, mbYes | mbNo, 0) != mrYes) return;
    // The user said Yes: when no browser takes the request over DDE, the default browser opens the page.
    if (OpenUrl(system, owner, kHomePageUrl) != 0) system.shell.OpenDocument(kHomePageUrl);
}

}  // namespace rondel
