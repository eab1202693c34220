// The message dialog under Wine: where icon and text stand, its captions, buttons, keys and
// modal results.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "DialogAnswer.h"
#include "toolkit/MessageDialog.h"

namespace rondel::testing {
namespace {

DialogSeen Show(const std::string& message, TMsgDlgType type, TMsgDlgButtons buttons, DialogAnswer::Action action,
                int argument, int* result) {
    DialogAnswer answer(action, argument);
    const int modalResult = ShowMessageDialog(message, type, buttons, 0);
    if (result != nullptr) *result = modalResult;
    return answer.Seen();
}

int Height(const RECT& r) { return r.bottom - r.top; }

TEST(MessageDialog, IconAndTextAreCentredOnEachOther) {
    const DialogSeen one = Show("サービスを停止できません。", mtError, DialogButtons(mbOK), DialogAnswer::ClickButton,
                                IDOK, nullptr);
    ASSERT_TRUE(one.shown);
    EXPECT_EQ(one.windowClass, "TMessageForm");
    ASSERT_TRUE(one.hasIcon);
    EXPECT_EQ(Height(one.icon), 32);
    EXPECT_EQ(Height(one.label), 13) << "one line of the dialog font";
    EXPECT_EQ(one.label.top - one.icon.top, 9) << "(32 - 13) / 2 below the icon's top";
    EXPECT_LT(one.icon.right, one.label.left) << "text right of the icon";
    const int topMargin = one.icon.top;

    // Taller than the icon: the text stays at the margin and the icon moves to its middle.
    const DialogSeen four = Show("一行目\r\n二行目\r\n三行目\r\n四行目", mtWarning, DialogButtons(mbOK),
                                 DialogAnswer::ClickButton, IDOK, nullptr);
    ASSERT_GT(Height(four.label), 32);
    EXPECT_EQ(four.label.top, topMargin);
    EXPECT_EQ(four.icon.top, four.label.top + (Height(four.label) - 32) / 2);

    const DialogSeen custom = Show("独自の確認", mtCustom, DialogButtons(mbOK), DialogAnswer::ClickButton, IDOK, nullptr);
    EXPECT_FALSE(custom.hasIcon);
    EXPECT_EQ(custom.caption, "ロンデル");
    EXPECT_EQ(custom.label.top, topMargin) << "shown as the toolkit lays it out";

    // The captions of the types; each of them with its icon.
    const struct {
        TMsgDlgType type;
        const char* caption;
    } types[] = {{mtWarning, "警告"}, {mtError, "エラー"}, {mtInformation, "情報"}, {mtConfirmation, "確認"}};
    for (const auto& t : types) {
        const DialogSeen seen = Show("本文", t.type, DialogButtons(mbOK), DialogAnswer::ClickButton, IDOK, nullptr);
        EXPECT_EQ(seen.caption, t.caption);
        EXPECT_TRUE(seen.hasIcon) << t.caption;
        EXPECT_EQ(seen.text, "本文");
    }
}

TEST(MessageDialog, ButtonsKeysAndModalResults) {
    const TMsgDlgButtons yesNo = mbYes | mbNo;
    const struct {
        TMsgDlgButtons buttons;
        DialogAnswer::Action action;
        int argument;
        int result;
        int focused;  // the default button has the focus
    } cases[] = {
        {yesNo, DialogAnswer::PressEscape, 0, 7, IDYES},   // Esc on Yes/No is No
        {yesNo, DialogAnswer::CloseBox, 0, 2, IDYES},      // the close box is always 2
        {yesNo, DialogAnswer::PressEnter, 0, 6, IDYES},
        {yesNo, DialogAnswer::PressAltKey, 'n', 7, IDYES},  // いいえ(&N)
        {DialogButtons(mbOK), DialogAnswer::PressEscape, 0, 1, IDOK},
        {mbOK | mbCancel, DialogAnswer::PressEscape, 0, 2, IDOK},
        {yesNo | DialogButtons(mbCancel), DialogAnswer::PressEscape, 0, 2, IDYES},
        {mbAbort | mbRetry | DialogButtons(mbIgnore), DialogAnswer::PressEnter, 0, 4, IDRETRY},
        {mbAbort | mbRetry | DialogButtons(mbIgnore), DialogAnswer::ClickButton, IDABORT, 3, IDRETRY},
        {mbIgnore | mbAll, DialogAnswer::ClickButton, IDIGNORE, 5, 0},
        {mbAll | mbNoToAll, DialogAnswer::ClickButton, mrAll, 8, 0},
        {mbNoToAll | mbYesToAll, DialogAnswer::ClickButton, mrNoToAll, 9, 0},
        {mbNoToAll | mbYesToAll, DialogAnswer::ClickButton, mrYesToAll, 10, 0},
    };
    for (const auto& c : cases) {
        int result = -1;
        const DialogSeen seen = Show("続けますか？", mtConfirmation, c.buttons, c.action, c.argument, &result);
        EXPECT_EQ(result, c.result) << seen.buttons;
        if (c.focused != 0) {
            EXPECT_EQ(seen.focusedId, c.focused) << seen.buttons;
        }
    }

    // Every button, in the order of the set, with its caption and accelerator.
    const DialogSeen all = Show("全部", mtInformation, 0x7FFu, DialogAnswer::ClickButton, IDNO, nullptr);
    EXPECT_EQ(all.buttons, "はい(&Y)|いいえ(&N)|OK|キャンセル|中止(&A)|再試行(&R)|無視(&I)|すべて(&A)|"
                           "すべていいえ(&O)|すべてはい(&A)|ヘルプ(&H)");
}

}  // namespace
}  // namespace rondel::testing
