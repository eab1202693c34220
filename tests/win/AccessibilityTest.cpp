// What a keyboard, screen-reader or high-contrast user meets: the keyboard's place drawn only
// once the keyboard is used, the list's selected and hot items legible in a high-contrast scheme,
// and the names the controls take from the labels before them.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "FormSupport.h"
#include "ListBoxTestSupport.h"
#include "MixedMachine.h"
#include "ui/HomePage.h"
#include "ui/ServiceListBox.h"
#include "ui/Unit1.h"

namespace rondel::testing {
namespace {

constexpr const char* kItem = "[ RondelT_A ] 試験 読みやすさ\r\n　　会社：ロンデル\r\n　　説明：試験";

// A key or a mouse button as the form's message loop meets it.
void Input(TForm& form, HWND window, UINT message) {
    MSG input{window, message, message == WM_KEYDOWN ? WPARAM{VK_DOWN} : WPARAM{MK_LBUTTON}, 1, 0, {}};
    form.PreTranslateMessage(input);
}

// The item painted as the system asks for it, onto a memory DC, through the form.
ItemPicture PaintThroughForm(TForm& form, TGraphicListBox& list, int index, UINT state) {
    TBitmap bitmap(list.ClientWidth(), list.ItemHeight());
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = static_cast<UINT>(::GetDlgCtrlID(list.Handle()));
    item.itemID = static_cast<UINT>(index);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = list.Handle();
    item.hDC = bitmap.Canvas().Handle();
    item.rcItem = RECT{0, 0, bitmap.Width(), bitmap.Height()};
    ::SendMessageA(form.Handle(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    return ItemPicture(bitmap);
}

// How many pixels of the row differ between two pictures of one item.
int Differing(const ItemPicture& a, const ItemPicture& b, int y) {
    int count = 0;
    for (int x = 0; x < a.Width(); ++x) count += a.At(x, y) != b.At(x, y);
    return count;
}

// Windows' rule, which Wine 8 does not keep: the keyboard's place shows from the first key and
// hides with a mouse button; the list then draws it on its focused item, and with the mouse it
// looks exactly as described.
TEST(FocusCues, TheListShowsTheKeyboardsPlaceFromAKeyUntilAMouseButton) {
    TForm form("RondelCueForm");
    TGraphicListBox list;
    list.SetParent(form);
    list.SetBounds(0, 0, 300, 200);
    form.CreateHandle();
    ApplyServiceListLook(list, false);
    list.Items().Add(kItem);
    const ItemPicture plain = PaintThroughForm(form, list, 0, ODS_SELECTED);
    EXPECT_FALSE(form.FocusCuesShown()) << "hidden at first";
    EXPECT_TRUE(SamePixels(PaintThroughForm(form, list, 0, ODS_SELECTED | ODS_FOCUS), plain));

    Input(form, list.Handle(), WM_KEYDOWN);
    EXPECT_TRUE(form.FocusCuesShown());
    const ItemPicture focused = PaintThroughForm(form, list, 0, ODS_SELECTED | ODS_FOCUS);
    // A dotted rectangle two pixels inside the item: along its top and bottom rows, and in the
    // middle only its two sides.
    EXPECT_GT(Differing(focused, plain, 2), plain.Width() / 3);
    EXPECT_EQ(Differing(focused, plain, 1), 0);
    EXPECT_GT(Differing(focused, plain, plain.Height() - 3), plain.Width() / 3);
    EXPECT_LE(Differing(focused, plain, plain.Height() / 2), 2);
    EXPECT_GE(Differing(focused, plain, plain.Height() / 2), 1);

    Input(form, list.Handle(), WM_LBUTTONDOWN);
    EXPECT_FALSE(form.FocusCuesShown());
    EXPECT_TRUE(SamePixels(PaintThroughForm(form, list, 0, ODS_SELECTED | ODS_FOCUS), plain));
    list.SetGlyphs(nullptr);
}

// The system's colours set to a high-contrast scheme for the test's length.
class HighContrastColours {
public:
    HighContrastColours() {
        const std::map<int, COLORREF> scheme = {
            {COLOR_WINDOW, RGB(0, 0, 0)},           {COLOR_WINDOWTEXT, RGB(255, 255, 255)},
            {COLOR_HIGHLIGHT, RGB(26, 235, 255)},   {COLOR_HIGHLIGHTTEXT, RGB(0, 0, 0)},
            {COLOR_HOTLIGHT, RGB(255, 255, 0)},     {COLOR_BTNFACE, RGB(0, 0, 0)},
            {COLOR_BTNTEXT, RGB(255, 255, 255)},    {COLOR_BTNSHADOW, RGB(128, 128, 128)},
            {COLOR_BTNHIGHLIGHT, RGB(255, 255, 255)}};
        for (const auto& [index, colour] : scheme) {
            indices_.push_back(index);
            before_.push_back(::GetSysColor(index));
            after_.push_back(colour);
        }
        ::SetSysColors(static_cast<int>(indices_.size()), indices_.data(), after_.data());
    }
    ~HighContrastColours() { ::SetSysColors(static_cast<int>(indices_.size()), indices_.data(), before_.data()); }

private:
    std::vector<int> indices_;
    std::vector<COLORREF> before_, after_;
};

double Luminance(COLORREF c) {
    const auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(GetRValue(c)) + 0.7152 * channel(GetGValue(c)) + 0.0722 * channel(GetBValue(c));
}

// The item's text against its background: the commonest colour of its text area is the
// background, the one furthest from it in luminance the text.
double TextContrast(const ItemPicture& item) {
    std::map<COLORREF, int> counts;
    for (int y = 6; y < item.Height() - 6; ++y)
        for (int x = 50; x < item.Width() - 6; ++x) ++counts[item.At(x, y)];
    const COLORREF background =
        std::max_element(counts.begin(), counts.end(), [](const auto& a, const auto& b) { return a.second < b.second; })->first;
    double best = 1;
    for (const auto& [colour, count] : counts) {
        const double a = Luminance(colour), b = Luminance(background);
        best = std::max(best, (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05));
    }
    return best;
}

TEST(HighContrast, TheSelectedAndHotItemsReadAtLeastFourAndAHalfToOne) {
    const HighContrastColours colours;
    ListFixture f;
    f.list.Items().Add(kItem);
    ApplyServiceListLook(f.list, true);
    const std::vector<ItemPicture> looks{PaintItemAsSystem(f, 0, 0), PaintItemAsSystem(f, 0, ODS_SELECTED),
                                         PaintItemDirect(f, 0, ODS_FOCUS)};
    EXPECT_GE(TextContrast(looks[0]), 4.5) << "normal";
    EXPECT_GE(TextContrast(looks[1]), 4.5) << "selected";
    EXPECT_GE(TextContrast(looks[2]), 4.5) << "hot";
    // The README's picture: convert build/windows/bin/listbox-high-contrast.bmp docs/listbox-high-contrast.png
    EXPECT_TRUE(WriteBmp(looks, "listbox-high-contrast.bmp"));
    // The fixed colours of the normal look would not do in this scheme.
    ApplyServiceListLook(f.list, false);
    EXPECT_LT(TextContrast(PaintItemAsSystem(f, 0, ODS_SELECTED)), 4.5);
}

// A screen reader names a control without a text of its own by the label before it.
TEST(Names, EveryFieldTheMemoAndTheBannerAreNamedByTheLabelBeforeThem) {
    MixedMachine m;
    TForm1 f(m.system, Form1Options{true, false});
    const auto nameOf = [](const TWinControl& control) {
        const HWND label = ::GetWindow(control.Handle(), GW_HWNDPREV);
        char kind[16] = {};
        ::GetClassNameA(label, kind, sizeof kind);
        return lstrcmpiA(kind, "Static") == 0 ? WindowText(label) : std::string("(no label)");
    };
    EXPECT_EQ(nameOf(f.ED_ServiceName), "サービス名");
    EXPECT_EQ(nameOf(f.ED_FileName), "実ファイル");
    EXPECT_EQ(nameOf(f.MM_Description), "サービスの説明");
    EXPECT_EQ(nameOf(f.IM_Link), kHomePageHint);
    EXPECT_EQ(f.LL_MemoName.Width() + f.LL_LinkName.Width(), 0) << "labels that take no room";
}

}  // namespace
}  // namespace rondel::testing
