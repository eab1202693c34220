// The gallery: the looks and the four layouts side by side, written to listbox-gallery.bmp in
// the working directory (the build's bin). docs/listbox-gallery.png is made from it with
//   convert build/<preset>/bin/listbox-gallery.bmp docs/listbox-gallery.png
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "ListBoxTestSupport.h"

namespace rondel::testing {
namespace {

const char* const kServices[] = {
    "[ Spooler ] 印刷スプーラー\r\n　　会社：ロンデル\r\n　　説明：印刷ジョブをメモリに読み込み、印刷します",
    "[ EventLog ] イベント ログ\r\n　　会社：ロンデル\r\n　　説明：システムとアプリケーションのイベントを記録します",
    "[ PlugPlay ] プラグ アンド プレイ\r\n　　会社：ロンデル\r\n　　説明：ハードウェアの変更を認識して対応します",
};

// A round 32 × 32 service icon: a shaded disc with a white ring, transparent outside.
unique_hicon ServiceIcon(COLORREF color) {
    constexpr int size = 32;
    return IconFromPixels(size, size, [&](int x, int y) -> DWORD {
        const double d = std::hypot(x - 15.5, y - 15.5);
        if (d > 15.0) return 0;
        if ((d >= 6.5 && d <= 10.0) || (std::abs(x - 15.5) < 1.6 && d <= 14.0) || (std::abs(y - 15.5) < 1.6 && d <= 14.0))
            return 0xFFFFFFFFu;
        const double shade = 1.25 - 0.5 * y / size;
        auto channel = [&](int c) { return static_cast<DWORD>(std::min(255.0, c * shade)); };
        return 0xFF000000u | channel(GetRValue(color)) << 16 | channel(GetGValue(color)) << 8 | channel(GetBValue(color));
    });
}


class Gallery {
public:
    Gallery(int width, int height) : image_(width, height) {
        canvas().Brush().SetColor(clWhite);
        canvas().FillRect(RECT{0, 0, width, height});
    }
    TCanvas& canvas() { return image_.Canvas(); }
    const TBitmap& image() const { return image_; }

    void Label(int x, int y, const std::string& text, bool bold = false) {
        canvas().Font().Assign(TFont());
        canvas().Font().SetColor(clBlack);
        canvas().Font().SetStyle(bold ? TFontStyles{fsBold} : TFontStyles{0});
        canvas().Brush().SetColor(clWhite);
        canvas().TextOut(x, y, text);
    }
    // The item painted by the control itself into rect, framed in grey.
    void Item(TGraphicListBox& list, int index, std::uint16_t state, const RECT& rect) {
        {
            const TCanvasBinding binding(list.Canvas(), canvas().Handle());
            list.PaintItem(index, rect, state);
        }
        canvas().Pen().SetColor(TColor{RGB(180, 180, 180)});
        const POINT frame[] = {{rect.left - 1, rect.top - 1}, {rect.right, rect.top - 1}, {rect.right, rect.bottom},
                               {rect.left - 1, rect.bottom}, {rect.left - 1, rect.top - 1}};
        canvas().Polyline(frame);
    }

private:
    TBitmap image_;
};

TEST(GraphicListBoxGallery, RendersTheLooksAndLayouts) {
    constexpr int kItemWidth = 380;
    ListFixture f(kItemWidth, 300);
    TImageList glyphs(32, 32);
    const COLORREF colours[] = {RGB(40, 100, 200), RGB(30, 150, 70), RGB(220, 120, 20)};
    std::vector<unique_hicon> icons;
    for (COLORREF c : colours) {
        icons.push_back(ServiceIcon(c));
        glyphs.AddIcon(icons.back().get());
    }
    // As the forms configure it.
    TGraphicListBox& list = f.list;
    list.SetAutoItemHeight(false);
    list.SetItemHeight(46);
    list.SetLayout(blGlyphLeft);
    list.SetFocusedColor(clMoneyGreen);
    list.SetSelectedColor(clSkyBlue);
    list.SetBorderShadow(clGreen);
    list.SetBorderHighlight(clBtnHighlight);
    list.SetGlyphs(&glyphs);
    for (const char* text : kServices) list.Items().Add(text);

    Gallery gallery(140 + kItemWidth + 30 + kItemWidth + 12, 402);
    gallery.Label(10, 8, "TGraphicListBox の見た目（blGlyphLeft、ItemHeight 46、32×32 のアイコン）", true);
    struct Look {
        const char* name;
        std::uint16_t state;
        bool flat;
    };
    const Look looks[] = {{"通常", 0, false},
                          {"選択", ODS_SELECTED, false},
                          {"ホット", ODS_FOCUS, false},
                          {"選択＋ホット", ODS_SELECTED | ODS_FOCUS, false},
                          {"Flat 選択", ODS_SELECTED, true},
                          {"Flat ホット", ODS_FOCUS, true}};
    int y = 34;
    int index = 0;
    std::vector<RECT> lookRects;
    for (const Look& look : looks) {
        list.SetFlat(look.flat);
        gallery.Label(12, y + 16, look.name);
        const RECT rect{140, y, 140 + kItemWidth, y + 46};
        gallery.Item(list, index++ % 3, look.state, rect);
        lookRects.push_back(rect);
        y += 46 + 10;
    }
    list.SetFlat(false);

    const int right = 140 + kItemWidth + 30;
    gallery.Label(right, 8, "配置（Layout）、選択された項目", true);
    struct Arrangement {
        const char* name;
        TButtonLayout layout;
        int height;
    };
    const Arrangement arrangements[] = {{"blGlyphLeft", blGlyphLeft, 46},
                                        {"blGlyphRight", blGlyphRight, 46},
                                        {"blGlyphTop（ItemHeight 80）", blGlyphTop, 80},
                                        {"blGlyphBottom（ItemHeight 80）", blGlyphBottom, 80}};
    y = 34;
    index = 0;
    for (const Arrangement& a : arrangements) {
        list.SetLayout(a.layout);
        list.SetItemHeight(a.height);
        gallery.Label(right, y, a.name);
        gallery.Item(list, index++ % 3, ODS_SELECTED, RECT{right, y + 16, right + kItemWidth, y + 16 + a.height});
        y += 16 + a.height + 14;
    }

    ASSERT_TRUE(WriteBmp(gallery.image().Width(), gallery.image().Height(), gallery.image().Pixels(), "listbox-gallery.bmp"));
    // The cells show their looks.
    auto background = [&](const RECT& r) { return ::GetPixel(gallery.canvas().Handle(), r.right - 3, r.top + 2); };
    EXPECT_EQ(background(lookRects[0]), ColorToRGB(clWindow));
    EXPECT_EQ(background(lookRects[1]), ColorToRGB(clSkyBlue));
    EXPECT_EQ(background(lookRects[2]), ColorToRGB(clMoneyGreen));
    EXPECT_EQ(background(lookRects[3]), ColorToRGB(clMoneyGreen));
    EXPECT_EQ(background(lookRects[4]), ColorToRGB(clHighlight));
    EXPECT_EQ(background(lookRects[5]), ColorToRGB(clWindow));
}

}  // namespace
}  // namespace rondel::testing
