// The banner of the main window under the policy that turns the home page off: the window tells
// so in a dialog of its own instead of asking, and no browser is asked or started.
#include <gtest/gtest.h>
#include <windows.h>

#include "DialogAnswer.h"
#include "FormSupport.h"
#include "MixedMachine.h"
#include "catalogue/Settings.h"
#include "ui/Unit1.h"

namespace rondel::testing {
namespace {

TEST(HomePagePolicy, TheBannerTellsThatThePolicyTurnedItOffInsteadOfAskingAndStartsNoBrowser) {
    for (const bool turnedOff : {true, false}) {
        MixedMachine m(MixedMachine::kFakeShell);
        if (turnedOff) m.fake.registry.SetDword(kPolicyKey, "DisableHomePage", 1);
        TForm1 form(m.system, Form1Options{true, false});
        ASSERT_TRUE(Settle(form));
        {
            DialogAnswer answer(DialogAnswer::PressEscape);
            form.IM_LinkClick();
            EXPECT_TRUE(Settle(form));
            if (turnedOff) {
                EXPECT_EQ(answer.Seen().text, "ホームページへのアクセスは管理者によって無効にされています。");
                EXPECT_EQ(answer.Seen().buttons, "OK");
            } else {
                EXPECT_EQ(answer.Seen().text, "ミルテへアクセスしますか？");
            }
        }
        EXPECT_TRUE(m.fake.shell.executed.empty()) << turnedOff;
        EXPECT_TRUE(m.fake.shell.openedDocuments.empty()) << turnedOff;
    }
}

}  // namespace
}  // namespace rondel::testing
