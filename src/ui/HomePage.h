// The banner's road to the program's home page: a question, then the web browser, asked over
// DDE to open the page, or, when no browser takes the request that way, the user's default
// browser.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace rondel {

class TForm;

// The banner's hint, which is also its name for a screen reader.
inline constexpr const char kHomePageHint[] = "ミルテへアクセスします";

// The program's home page.
inline constexpr const char kHomePageUrl[] = "https://www.example.com/rondel/";

// The DDE service and topic of the browser, and the execute command for a URL.
inline constexpr const char kBrowserService[] = "IExplore";
inline constexpr const char kBrowserTopic[] = "WWW_openUrl";
std::string OpenUrlCommand(const std::string& url);

// Asks "ミルテへアクセスしますか？" in a dialog of the owner's; true for Yes.
bool AskToVisitHomePage(TForm& owner);
// Tells, in a dialog of the owner's, that a policy has turned the home page off.
void TellHomePageTurnedOff(TForm& owner);

// Opens the home page: the browser over DDE, else the default browser. It talks to other
// programs and may wait on them: the windows run it on their worker. (Its DDE conversation is
// held by a DDEML instance of the calling thread's own.)
void OpenHomePage(platform::Platform& system);

// Hands the URL to the browser's DDE server; when none answers, starts the browser found
// under the Program Files directory (minimised, not activated) and asks once more. 0 when the
// command was handed over, -1 otherwise.
int OpenUrl(platform::Platform& system, const std::string& url);

}  // namespace rondel
