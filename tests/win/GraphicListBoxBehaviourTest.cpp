// The list box as the user meets it: item heights, hot tracking with the real pointer
// (SetCursorPos under Xvfb), clicks, the keyboard focus, and the items as strings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ListBoxTestSupport.h"

namespace rondel::testing {
namespace {

constexpr int kGlyphSize = 32;
const std::string kItemText = "[ Spooler ] 印刷スプーラー\r\n　　会社：ロンデル\r\n　　説明：印刷ジョブを管理します";

TEST(GraphicListBoxItemHeight, FollowsFontGlyphsAndLayoutOnlyWhenAutomatic) {
    TImageList glyphs(kGlyphSize, kGlyphSize);
    TGraphicListBox list;
    // Constructed with AutoItemHeight: the font's height, -12, and no glyphs.
    EXPECT_TRUE(list.AutoItemHeight());
    EXPECT_EQ(list.ItemHeight(), 12);

    list.SetGlyphs(&glyphs);
    EXPECT_EQ(list.ItemHeight(), 34);
    list.SetLayout(blGlyphTop);
    EXPECT_EQ(list.ItemHeight(), 46);
    list.SetLayout(blGlyphBottom);
    EXPECT_EQ(list.ItemHeight(), 46);
    list.SetLayout(blGlyphRight);
    EXPECT_EQ(list.ItemHeight(), 34);
    // A font taller than the glyphs wins in the horizontal layouts.
    list.Font().SetHeight(-40);
    EXPECT_EQ(list.ItemHeight(), 34) << "a font change does not re-run the rule";
    list.SetLayout(blGlyphLeft);
    EXPECT_EQ(list.ItemHeight(), 40);
    list.Font().SetHeight(-12);

    // Not automatic: neither glyphs nor layout change what is set.
    list.SetAutoItemHeight(false);
    list.SetItemHeight(46);
    list.SetLayout(blGlyphTop);
    list.SetGlyphs(nullptr);
    list.SetLayout(blGlyphRight);
    EXPECT_EQ(list.ItemHeight(), 46);
    // A height that is not positive is ignored.
    list.SetItemHeight(0);
    list.SetItemHeight(-5);
    EXPECT_EQ(list.ItemHeight(), 46);
    // Back to automatic: the rule runs at once.
    list.SetAutoItemHeight(true);
    EXPECT_EQ(list.ItemHeight(), 12);

    // The window's items get that height.
    ListFixture f;
    f.list.SetGlyphs(&glyphs);
    EXPECT_EQ(::SendMessageA(f.list.Handle(), LB_GETITEMHEIGHT, 0, 0), 34);
    f.list.SetLayout(blGlyphBottom);
    EXPECT_EQ(::SendMessageA(f.list.Handle(), LB_GETITEMHEIGHT, 0, 0), 46);
}

TEST(GraphicListBoxProperties, ConstructionValuesAndStateFontsOwnedByTheControl) {
    TGraphicListBox list;
    EXPECT_EQ(list.BorderHighlight(), clBtnHighlight);
    EXPECT_EQ(list.BorderShadow(), clBtnShadow);
    EXPECT_FALSE(list.Flat());
    EXPECT_EQ(list.FocusedColor(), clBtnFace);
    EXPECT_EQ(list.SelectedColor(), clBtnFace);
    EXPECT_EQ(list.Glyphs(), nullptr);
    EXPECT_EQ(list.Layout(), blGlyphLeft);
    EXPECT_EQ(list.Color(), clWindow);
    EXPECT_EQ(list.HotItemIndex(), -1);
    EXPECT_FALSE(list.HotTracking());

    // Assigning a state font copies its attributes; the given font stays the caller's.
    TFont font;
    font.SetName("MS PGothic");
    font.SetHeight(-16);
    font.SetColor(clGreen);
    font.SetStyle(fsBold);
    list.SetFocusedFont(font);
    list.SetSelectedFont(font);
    font.SetHeight(-20);
    EXPECT_EQ(list.FocusedFont().Height(), -16);
    EXPECT_EQ(list.FocusedFont().Name(), "MS PGothic");
    EXPECT_EQ(list.FocusedFont().Color(), clGreen);
    EXPECT_EQ(list.SelectedFont().Style(), fsBold);
    EXPECT_NE(&list.FocusedFont(), &font);
}

TEST(GraphicListBoxWindow, IsAnOwnerDrawnStringListBox) {
    ListFixture f;
    char className[64] = {};
    ::GetClassNameA(f.list.Handle(), className, sizeof(className));
    EXPECT_STREQ(className, "TGraphicListBox");
    const LONG style = ::GetWindowLongA(f.list.Handle(), GWL_STYLE);
    EXPECT_EQ(style & (LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_MULTICOLUMN | LBS_OWNERDRAWVARIABLE),
              LBS_OWNERDRAWFIXED | LBS_HASSTRINGS);

    // Items are strings that LB_GETTEXT reads back, code-page-932 bytes as they were added.
    EXPECT_EQ(f.list.Items().Add(kItemText), 0);
    EXPECT_EQ(f.list.Items().Add("二番目"), 1);
    EXPECT_EQ(f.list.Items().Count(), 2);
    char text[256] = {};
    ::SendMessageA(f.list.Handle(), LB_GETTEXT, 0, reinterpret_cast<LPARAM>(text));
    EXPECT_EQ(std::string(text), kItemText);
    EXPECT_EQ(f.list.Items()[1], "二番目");
    EXPECT_EQ(f.list.Items()[5], "");

    // ItemIndex: -1 for none; setting it raises no OnClick.
    int clicks = 0;
    f.list.OnClick = [&] { ++clicks; };
    EXPECT_EQ(f.list.ItemIndex(), -1);
    f.list.SetItemIndex(1);
    EXPECT_EQ(f.list.ItemIndex(), 1);
    EXPECT_TRUE(f.list.Selected(1));
    f.list.SetItemIndex(-1);
    EXPECT_EQ(f.list.ItemIndex(), -1);
    EXPECT_EQ(clicks, 0);
    f.list.Items().Clear();
    EXPECT_EQ(f.list.Items().Count(), 0);

    // Texts assigned anew change the items in place: one changed below the top leaves the list
    // where it was scrolled, and the items above it are not drawn again.
    std::vector<std::string> texts(40, "同じ");
    f.list.Items().Assign(texts);
    f.list.SetTopIndex(10);
    ::UpdateWindow(f.list.Handle());
    texts[12] = "変わった";
    f.list.Items().Assign(texts);
    RECT dirty{};
    ::GetUpdateRect(f.list.Handle(), &dirty, FALSE);
    EXPECT_GE(dirty.top, f.list.ItemRect(12).top) << "drawn again from " << dirty.top;
    EXPECT_EQ(f.list.TopIndex(), 10);
    EXPECT_EQ(::SendMessageA(f.list.Handle(), LB_GETCOUNT, 0, 0), 40);
    EXPECT_EQ(f.list.Items()[12], "変わった");
    f.list.Items().Clear();

    // Items added before the window exists arrive with it.
    TGraphicListBox early;
    early.Items().Add("一");
    early.Items().Add("二");
    early.SetBounds(10, 10, 100, 100);
    early.CreateHandle(f.host.Handle());
    EXPECT_EQ(::SendMessageA(early.Handle(), LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(early.Items()[1], "二");
}

// A list configured like the forms' with three items, each with a solid glyph.
class GraphicListBoxTracking : public ::testing::Test {
protected:
    GraphicListBoxTracking() : glyphs(kGlyphSize, kGlyphSize), icon(SolidIcon(kGlyphSize, kGlyphSize, RGB(200, 30, 30))) {
        for (int i = 0; i < 3; ++i) glyphs.AddIcon(icon.get());
        f.list.SetAutoItemHeight(false);
        f.list.SetItemHeight(46);
        f.list.SetFocusedColor(clMoneyGreen);
        f.list.SetSelectedColor(clSkyBlue);
        f.list.SetBorderShadow(clGreen);
        f.list.SetBorderHighlight(TColor{RGB(255, 255, 0)});
        f.list.SetGlyphs(&glyphs);
        // Start with the pointer away from the list.
        ::SetCursorPos(900, 900);
        PumpMessages(50);
    }
    ~GraphicListBoxTracking() override {
        ::SetCursorPos(900, 900);
        PumpMessages(50);
    }

    void Fill() {
        for (int i = 0; i < 3; ++i) f.list.Items().Add(kItemText);
        ::UpdateWindow(f.list.Handle());
    }
    // Puts the pointer over a client point of the list.
    void PointAt(int x, int y) {
        POINT point{x, y};
        ::ClientToScreen(f.list.Handle(), &point);
        ::SetCursorPos(point.x, point.y);
    }
    void PointAtItem(int index) { PointAt(200, index * 46 + 23); }
    // The background colour of item index as it is on the screen now (inside its border).
    COLORREF ShownBackground(int index) { return CaptureClient(f.list.Handle()).At(f.list.ClientWidth() - 3, index * 46 + 2); }

    ListFixture f;
    TImageList glyphs;
    unique_hicon icon;
};

TEST_F(GraphicListBoxTracking, PointerEntryStartsTrackingOnlyOverItems) {
    // Over an empty list: no timer, and items added meanwhile change nothing.
    PointAt(200, 100);
    PumpMessages(150);
    EXPECT_FALSE(f.list.HotTracking());
    Fill();
    PumpMessages(300);
    EXPECT_FALSE(f.list.HotTracking());
    EXPECT_EQ(f.list.HotItemIndex(), -1);
    EXPECT_EQ(ShownBackground(2), ColorToRGB(clWindow));

    // Leaving and entering again starts it; the timer follows the pointer within a few ticks.
    // (Wine notices the leave on its 400 ms hover timer.)
    ::SetCursorPos(900, 900);
    PumpMessages(600);
    PointAtItem(1);
    PumpMessages(400);
    EXPECT_TRUE(f.list.HotTracking());
    EXPECT_EQ(f.list.HotItemIndex(), 1);
    EXPECT_EQ(ShownBackground(1), ColorToRGB(clMoneyGreen));
    PointAtItem(2);
    PumpMessages(400);
    EXPECT_EQ(f.list.HotItemIndex(), 2);
    EXPECT_EQ(ShownBackground(1), ColorToRGB(clWindow));
    EXPECT_EQ(ShownBackground(2), ColorToRGB(clMoneyGreen));

    // Leaving stops it and repaints the hot item normally.
    ::SetCursorPos(900, 900);
    PumpMessages(600);
    EXPECT_FALSE(f.list.HotTracking());
    EXPECT_EQ(f.list.HotItemIndex(), -1);
    EXPECT_EQ(ShownBackground(2), ColorToRGB(clWindow));
}

TEST_F(GraphicListBoxTracking, HotItemFollowsThePointer) {
    Fill();
    PointAtItem(1);
    f.list.TrackHotItem();
    EXPECT_EQ(f.list.HotItemIndex(), 1);
    // Only the hot item looks hot, with its raised border.
    const ItemPicture shown = CaptureClient(f.list.Handle());
    EXPECT_EQ(shown.At(200, 46 + 2), ColorToRGB(clMoneyGreen));
    EXPECT_EQ(shown.At(0, 46), RGB(255, 255, 0));
    EXPECT_EQ(shown.At(0, 46 + 45), ColorToRGB(clGreen));
    EXPECT_EQ(shown.At(200, 2), ColorToRGB(clWindow));
    EXPECT_EQ(shown.At(200, 92 + 2), ColorToRGB(clWindow));

    // Below the last item: no hot item, and the former one is normal again.
    PointAt(200, 3 * 46 + 30);
    f.list.TrackHotItem();
    EXPECT_EQ(f.list.HotItemIndex(), -1);
    EXPECT_EQ(ShownBackground(1), ColorToRGB(clWindow));
    // Outside the client area, beside an item: none either.
    PointAtItem(0);
    f.list.TrackHotItem();
    EXPECT_EQ(f.list.HotItemIndex(), 0);
    PointAt(f.list.ClientWidth() + 30, 23);
    f.list.TrackHotItem();
    EXPECT_EQ(f.list.HotItemIndex(), -1);
    EXPECT_EQ(ShownBackground(0), ColorToRGB(clWindow));

    // The pointer leaving (told before any tick could see it): normal look, no hot item.
    PointAtItem(1);
    f.list.TrackHotItem();
    ASSERT_EQ(ShownBackground(1), ColorToRGB(clMoneyGreen));
    ::SendMessageA(f.list.Handle(), WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(f.list.HotItemIndex(), -1);
    EXPECT_FALSE(f.list.HotTracking());
    EXPECT_EQ(ShownBackground(1), ColorToRGB(clWindow));

    // An out-of-range hot index paints nothing.
    PointAtItem(2);
    f.list.TrackHotItem();
    f.list.Items().Clear();
    f.list.PaintHotItem(true);
    EXPECT_EQ(f.list.HotItemIndex(), 2) << "clearing the items does not touch the hot index";
}

TEST_F(GraphicListBoxTracking, RefilledItemAtTheOldHotIndexIsNotHotUntilThePointerMoves) {
    Fill();
    PointAtItem(1);
    f.list.TrackHotItem();
    ASSERT_EQ(ShownBackground(1), ColorToRGB(clMoneyGreen));
    f.list.Items().Clear();
    EXPECT_EQ(f.list.HotItemIndex(), 1);
    Fill();
    f.list.TrackHotItem();
    EXPECT_EQ(f.list.HotItemIndex(), 1);
    EXPECT_EQ(ShownBackground(1), ColorToRGB(clWindow));
    PointAtItem(0);
    f.list.TrackHotItem();
    PointAtItem(1);
    f.list.TrackHotItem();
    EXPECT_EQ(ShownBackground(1), ColorToRGB(clMoneyGreen));
}

TEST_F(GraphicListBoxTracking, ClickRepaintsTheHotItemWithoutTheHotLook) {
    Fill();
    int clicks = 0;
    f.list.OnClick = [&] {
        ++clicks;
        EXPECT_EQ(f.list.ItemIndex(), 1);
    };
    PointAtItem(1);
    f.list.TrackHotItem();
    ASSERT_EQ(ShownBackground(1), ColorToRGB(clMoneyGreen));

    const LPARAM at = MAKELPARAM(200, 46 + 23);
    ::SendMessageA(f.list.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::SendMessageA(f.list.Handle(), WM_LBUTTONUP, 0, at);
    PumpMessages(50);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(f.list.ItemIndex(), 1);
    // The system's repaint: selected look, sunken border, no hot look; the hot index stays.
    const ItemPicture shown = CaptureClient(f.list.Handle());
    EXPECT_EQ(shown.At(200, 46 + 2), ColorToRGB(clSkyBlue));
    EXPECT_EQ(shown.At(0, 46), ColorToRGB(clGreen));
    EXPECT_EQ(shown.At(0, 46 + 45), RGB(255, 255, 0));
    EXPECT_EQ(f.list.HotItemIndex(), 1);
    f.list.TrackHotItem();
    EXPECT_EQ(ShownBackground(1), ColorToRGB(clSkyBlue));

    // Away and back: hot again, selected and hot looks hot.
    PointAtItem(2);
    f.list.TrackHotItem();
    EXPECT_EQ(ShownBackground(1), ColorToRGB(clSkyBlue));
    PointAtItem(1);
    f.list.TrackHotItem();
    EXPECT_EQ(ShownBackground(1), ColorToRGB(clMoneyGreen));

    // Flat: tracking still runs, but the hot item looks like a normal one.
    f.list.SetFlat(true);
    ::InvalidateRect(f.list.Handle(), nullptr, TRUE);
    ::UpdateWindow(f.list.Handle());
    PointAtItem(2);
    f.list.TrackHotItem();
    EXPECT_EQ(f.list.HotItemIndex(), 2);
    EXPECT_EQ(ShownBackground(2), ColorToRGB(clWindow));
    EXPECT_EQ(ShownBackground(1), ColorToRGB(clHighlight));
}

TEST_F(GraphicListBoxTracking, KeyboardFocusDrawsNoFocusRectangle) {
    // An empty list that gets and loses the focus stays plain background.
    const COLORREF window = ColorToRGB(clWindow);
    auto plain = [&] {
        const ItemPicture shown = CaptureClient(f.list.Handle());
        return AllPixels(shown, RECT{0, 0, shown.Width(), shown.Height()}, window);
    };
    ::SetFocus(f.list.Handle());
    PumpMessages(50);
    ASSERT_EQ(::GetFocus(), f.list.Handle());
    EXPECT_TRUE(plain());
    ::SetFocus(nullptr);
    PumpMessages(50);
    EXPECT_TRUE(plain());

    // With items: the focused item looks exactly as it would without the focus.
    Fill();
    ::SetFocus(f.list.Handle());
    ::SendMessageA(f.list.Handle(), WM_KEYDOWN, VK_DOWN, 0);
    ::SendMessageA(f.list.Handle(), WM_KEYUP, VK_DOWN, 0);
    PumpMessages(50);
    ASSERT_EQ(f.list.ItemIndex(), 0);
    const ItemPicture shown = CaptureClient(f.list.Handle());
    const ItemPicture selected = PaintItemAsSystem(f, 0, ODS_SELECTED);
    const ItemPicture normal = PaintItemAsSystem(f, 1, 0);
    bool same = true;
    for (int y = 0; y < 46; ++y)
        for (int x = 0; x < f.list.ClientWidth(); ++x)
            same = same && shown.At(x, y) == selected.At(x, y) && shown.At(x, y + 46) == normal.At(x, y);
    EXPECT_TRUE(same);
    // Emptied while focused: plain again.
    f.list.Items().Clear();
    ::UpdateWindow(f.list.Handle());
    EXPECT_TRUE(plain());
    ::SetFocus(nullptr);
}

}  // namespace
}  // namespace rondel::testing
