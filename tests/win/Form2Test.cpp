// The dependencies window in this process, over services of the in-memory machine: the lower
// list (Wine's manager names no dependents), the two lists' selections, the jump, and a
// "DependOnService" the registry read refuses.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "DialogAnswer.h"
#include "FormSupport.h"
#include "ListBoxTestSupport.h"
#include "MixedMachine.h"
#include "catalogue/ServiceEntry.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"

namespace rondel::testing {
namespace {

using namespace platform;

std::vector<std::string> Names(const StateList& list) {
    std::vector<std::string> names;
    for (const ServiceEntry& entry : list.entries) names.push_back(entry.serviceName);
    return names;
}

// A selection by the user: the list box tells its parent.
void Choose(TForm2& form, TGraphicListBox& list, int index) {
    list.SetItemIndex(index);
    ::SendMessageA(form.Handle(), WM_COMMAND, MAKEWPARAM(list.ControlId(), LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(list.Handle()));
}

class Form2Double : public ::testing::Test, protected MixedMachine {
protected:
    Form2Double() {
        fake.AddService("Main", "本体", "C:\\nowhere\\main.exe", kServiceRunning);
        fake.AddService("Zeta", "Z 依存", "C:\\nowhere\\z.exe", kServiceStopped);
        fake.AddService("Beta", "B 依存", "C:\\nowhere\\b.exe", kServiceRunning);
        fake.AddService("Disk", "ディスク", "\\SystemRoot\\disk.sys", kServiceRunning, kServiceKernelDriver);
        fake.services.Find("Main")->dependents = {"Zeta", "Disk", "zeta", "Beta"};
        fake.registry.SetMultiString(fake::FakeMachine::ServiceKey("Main"), "DependOnService", {"Beta"});
    }
    TForm1& Main() {
        if (!main) {
            // The in-memory machine answers one thread at a time.
            main = std::make_unique<TForm1>(system, Form1Options{true, false});
            EXPECT_TRUE(Settle(*main));
            SelectService(*main, "Main");
        }
        return *main;
    }
    // The window as the main window opens it, with the lists its worker looked up.
    std::unique_ptr<TForm2> Open() {
        TForm1& owner = Main();
        return std::make_unique<TForm2>(owner, owner.Session(), *owner.Model().Selected(),
                                        LookUpDependencies(system, "Main", SystemIcons(system).Icons()));
    }

    std::unique_ptr<TForm1> main;
};

TEST_F(Form2Double, DependentsSelectionsAndTheJumpToAStoppedDependent) {
    const std::unique_ptr<TForm2> opened = Open();
    TForm2& form = *opened;
    EXPECT_EQ(Names(form.DependentList()), (std::vector<std::string>{"Beta", "Zeta", "Disk"}))
        << "every dependent once, by display name";
    EXPECT_EQ(form.GLB_DependFrom.Items().Count(), 3);
    EXPECT_EQ(Names(form.DependencyList()), (std::vector<std::string>{"Beta"}));

    // Choosing in one list clears the other's selection.
    Choose(form, form.GLB_DependTo, 0);
    Choose(form, form.GLB_DependFrom, 1);
    EXPECT_EQ(form.GLB_DependTo.ItemIndex(), -1);
    Choose(form, form.GLB_DependTo, 0);
    EXPECT_EQ(form.GLB_DependFrom.ItemIndex(), -1);

    // Both selected (set by code): the lower list's choice is the one shown.
    form.GLB_DependFrom.SetItemIndex(1);
    form.BB_ViewClick();
    EXPECT_EQ(Main().Model().CurrentTab(), kStoppedTab);
    EXPECT_EQ(Main().ED_ServiceName.Text(), "Zeta");
    EXPECT_EQ(Main().GLB_List.ItemIndex(), Main().Model().SelectedIndex());
    EXPECT_FALSE(form.HandleAllocated()) << "the window closed";
}

TEST_F(Form2Double, ARefusedDependOnServiceIsReportedOnceAndTheDependentsStillShow) {
    fake.registry.SetString(fake::FakeMachine::ServiceKey("Main"), "DependOnService", "Beta");
    Main();
    DialogAnswer answer(DialogAnswer::ClickButton, IDOK);
    const std::unique_ptr<TForm2> opened = Open();
    TForm2& form = *opened;
    PumpMessages(300);
    EXPECT_EQ(answer.Seen().text, "'DependOnService' のデータ型が不正です.");
    EXPECT_EQ(form.GLB_DependTo.Items().Count(), 0);
    EXPECT_EQ(form.GLB_DependFrom.Items().Count(), 3);
}

}  // namespace
}  // namespace rondel::testing
