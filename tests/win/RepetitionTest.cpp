// Repetition without growth: refreshes, services changed and followed, dependencies windows, hot-tracking repaints and message
// dialogs, many times over, leave the process's kernel handles, GDI objects and USER objects
// where they were after the first round.
//
// Wine 8 answers GetProcessHandleCount and GetGuiResources with 0, so they are counted another
// way: kernel handles by asking GetHandleInformation about every handle value; GDI and USER
// objects by the room left in their handle tables (how many brushes, and menus, can still be
// made), which every object left behind makes smaller by one.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DialogAnswer.h"
#include "FormSupport.h"
#include "ListBoxTestSupport.h"
#include "TestService.h"
#include "platform/Win32Platform.h"
#include "toolkit/MessageDialog.h"
#include "ui/Unit1.h"
#include "ui/Unit2.h"

namespace rondel::testing {
namespace {

int KernelHandles() {
    int count = 0;
    for (std::uintptr_t value = 4; value < 0x10000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    }
    return count;
}

// How many more objects of a kind the process can make before its table is full: every object
// left behind makes the room smaller by one.
template <typename Make, typename Free>
int Room(Make make, Free free) {
    std::vector<decltype(make())> made;
    while (made.size() < 200000) {
        auto object = make();
        if (!object) break;
        made.push_back(object);
    }
    for (auto object : made) free(object);
    return static_cast<int>(made.size());
}

struct Counts {
    int kernel;
    int gdiRoom;
    int userRoom;
    bool operator==(const Counts&) const = default;
};

Counts Count() {
    return Counts{KernelHandles(), Room([] { return ::CreateSolidBrush(RGB(1, 2, 3)); }, [](HBRUSH b) { ::DeleteObject(b); }),
                  Room([] { return ::CreateMenu(); }, [](HMENU m) { ::DestroyMenu(m); })};
}

::testing::AssertionResult Same(const Counts& first, const Counts& last) {
    if (first == last) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "kernel handles " << first.kernel << " -> " << last.kernel
                                         << ", room for GDI objects " << first.gdiRoom << " -> " << last.gdiRoom
                                         << ", room for USER objects " << first.userRoom << " -> " << last.userRoom;
}

TEST(Repetition, LeavesHandlesAndObjectsWhereTheFirstRoundLeftThem) {
    platform::Win32Platform machine;
    platform::Platform system = machine.View();
    // Without the live list's rounds, which would hold handles at the moments counted; the changes
    // are followed by hand.
    TForm1 form(system, Form1Options{false, false});
    ASSERT_TRUE(Settle(form));
    form.Show(SW_SHOWNOACTIVATE);
    ASSERT_GT(form.GLB_List.Items().Count(), 3);
    const auto refresh = [&] {
        ASSERT_TRUE(form.Session().Ask(Request::Refresh));
        ASSERT_TRUE(Settle(form));
    };
    const auto selectFirst = [&] { SelectService(form, form.Model().Entries(form.Model().CurrentTab())[0].serviceName); };
    const SystemIcons icons(system);
    const auto openDependencies = [&] {
        const ServiceEntry service = *form.Model().Selected();
        TForm2 dependencies(form, form.Session(), service, LookUpDependencies(system, service.serviceName, icons.Icons()));
        dependencies.Show(SW_SHOWNOACTIVATE);
    };
    const auto hotRepaint = [&](int i) { form.GLB_List.PaintHotItem(i % 2 == 0); };
    // A service started and stopped by another hand, each change followed: a new catalogue each time.
    fixtures::TestService flipping(fixtures::ServiceDefinition("RondelT_Flipping").Arguments("--no-pause"));
    ASSERT_EQ(flipping.CreateError(), 0u);
    const auto followChange = [&](int i) {
        ASSERT_EQ(i % 2 == 0 ? flipping.StartAndWait() : flipping.StopAndWait(), 0u);
        form.Session().Watch();
        ASSERT_TRUE(Settle(form));
    };
    const auto dialog = [] {
        DialogAnswer answer(DialogAnswer::ClickButton, IDOK);
        ShowMessageDialog("繰り返し", mtInformation, DialogButtons(mbOK), 0);
    };
    // The pointer over the list's second item: the hot item the repaints draw.
    RECT item = form.GLB_List.ItemRect(1);
    POINT over{item.left + 20, item.top + 10};
    ::ClientToScreen(form.GLB_List.Handle(), &over);
    ::SetCursorPos(over.x, over.y);
    form.GLB_List.TrackHotItem();
    ASSERT_EQ(form.GLB_List.HotItemIndex(), 1);

    // The first round: whatever is made once for good (classes, fonts, caches) is made now.
    refresh();
    followChange(0);
    followChange(1);
    selectFirst();
    openDependencies();
    hotRepaint(0);
    dialog();
    PumpMessages(100);
    const Counts first = Count();

    for (int i = 0; i < 500; ++i) refresh();
    for (int i = 0; i < 100; ++i) followChange(i);
    selectFirst();
    for (int i = 0; i < 200; ++i) openDependencies();
    form.GLB_List.TrackHotItem();
    for (int i = 0; i < 1000; ++i) hotRepaint(i);
    for (int i = 0; i < 200; ++i) dialog();
    PumpMessages(100);
    EXPECT_TRUE(Same(first, Count()));
}

}  // namespace
}  // namespace rondel::testing
