// Items painted into a memory DC and read back pixel by pixel. The expected pictures are
// composed from LayOutItem's places with the line height and widths that the font really gives
// here: these tests prove that the drawing follows the layout (whose rules the native table of
// LayOutItem holds) in every look.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ListBoxTestSupport.h"
#include "listbox/ItemLayout.h"
#include "text/StringList.h"

namespace rondel::testing {
namespace {

constexpr COLORREF kGlyph = RGB(200, 30, 30);
constexpr int kGlyphSize = 32;
const std::string kServiceText = "[ Spooler ] 印刷スプーラー\r\n　　会社：ロンデル\r\n　　説明：印刷ジョブを管理します";

// The forms' configuration.
void ConfigureLikeTheForms(TGraphicListBox& list, const TImageList* glyphs) {
    list.SetAutoItemHeight(false);
    list.SetItemHeight(46);
    list.SetLayout(blGlyphLeft);
    list.SetFlat(false);
    list.SetFocusedColor(clMoneyGreen);
    list.SetSelectedColor(clSkyBlue);
    list.SetBorderShadow(clGreen);
    list.SetBorderHighlight(clBtnHighlight);
    list.SetGlyphs(glyphs);
}

class GraphicListBoxPaint : public ::testing::Test {
protected:
    GraphicListBoxPaint() : glyphs(kGlyphSize, kGlyphSize), icon(SolidIcon(kGlyphSize, kGlyphSize, kGlyph)) {
        glyphs.AddIcon(icon.get());
        ConfigureLikeTheForms(f.list, &glyphs);
    }

    // The picture that LayOutItem gives for item text on background in font.
    ItemPicture Expected(const std::string& text, TColor background, const TFont& font, bool withGlyph,
                         bool glyphShown = true) {
        return ExpectedIn(f.list, text, background, font, withGlyph, glyphShown);
    }
    static ItemPicture ExpectedIn(const TGraphicListBox& list, const std::string& text, TColor background,
                                  const TFont& font, bool withGlyph, bool glyphShown = true) {
        const std::vector<std::string> lines = SplitTextLines(text);
        const TextMetrics metrics = MeasureLines(list.Font(), text);
        const int glyph = withGlyph ? kGlyphSize : 0;
        const ItemPlaces p = LayOutItem({list.Layout(), metrics.width, metrics.lineHeight, static_cast<int>(lines.size()),
                                         glyph, glyph, list.ClientWidth(), list.ItemHeight()});
        ExpectedItem expected(p.imageWidth, p.imageHeight, background);
        for (std::size_t k = 0; k < lines.size(); ++k)
            expected.Run(font, p.textLeft, p.textTop + static_cast<int>(k) * metrics.lineHeight, lines[k]);
        if (withGlyph && glyphShown) {
            if (p.gap.right > p.gap.left) expected.Fill(RECT{p.gap.left, p.gap.top, p.gap.right, p.gap.bottom}, ColorToRGB(background));
            expected.Fill(RECT{p.glyph.left, p.glyph.top, p.glyph.right, p.glyph.bottom}, kGlyph);
        }
        return expected.Picture(list.ClientWidth(), list.ItemHeight());
    }

    ListFixture f;
    TImageList glyphs;
    unique_hicon icon;
};

TEST_F(GraphicListBoxPaint, WorkedExampleGlyphLeft) {
    // A font of cell height 12 gives the 12-pixel line of the worked example.
    f.list.Font().SetHeight(12);
    ASSERT_EQ(MeasureLines(f.list.Font(), kServiceText).lineHeight, 12);
    f.list.Items().Add(kServiceText);
    const ItemPicture item = PaintItemAsSystem(f, 0, 0);
    ASSERT_EQ(item.Width(), 400);
    ASSERT_EQ(item.Height(), 46);

    // Glyph at (2, 7), 32 × 32, with background around it.
    EXPECT_TRUE(AllPixels(item, RECT{2, 7, 34, 39}, kGlyph));
    const COLORREF window = ColorToRGB(clWindow);
    EXPECT_TRUE(AllPixels(item, RECT{0, 0, 2, 46}, window));
    EXPECT_TRUE(AllPixels(item, RECT{34, 0, 36, 46}, window));
    EXPECT_TRUE(AllPixels(item, RECT{2, 0, 34, 7}, window));
    EXPECT_TRUE(AllPixels(item, RECT{2, 39, 34, 46}, window));
    // Lines at x = 36, y = 5, 17, 29.
    const std::vector<std::string> lines = SplitTextLines(kServiceText);
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(HoldsRunAt(item, TextRun(f.list.Font(), clWindow, lines[k]), 36, 5 + 12 * k)) << "line " << k;
    EXPECT_TRUE(SamePixels(item, Expected(kServiceText, clWindow, f.list.Font(), true)));

    // The program's own font, "ＭＳ Ｐゴシック" -12, has a 13-pixel line here (IPAPGothic:
    // ascent 11, descent 2): the lines move to y = 3, 16, 29; the glyph stays at (2, 7).
    f.list.Font().SetHeight(-12);
    ASSERT_EQ(MeasureLines(f.list.Font(), kServiceText).lineHeight, 13);
    const ItemPicture programFont = PaintItemAsSystem(f, 0, 0);
    EXPECT_TRUE(AllPixels(programFont, RECT{2, 7, 34, 39}, kGlyph));
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(HoldsRunAt(programFont, TextRun(f.list.Font(), clWindow, lines[k]), 36, 3 + 13 * k)) << "line " << k;
    EXPECT_TRUE(SamePixels(programFont, Expected(kServiceText, clWindow, f.list.Font(), true)));
}

TEST_F(GraphicListBoxPaint, FourLayoutsWithAndWithoutGlyphsFollowTheLayout) {
    f.list.Items().Add(kServiceText);
    for (const bool withGlyphs : {true, false}) {
        f.list.SetGlyphs(withGlyphs ? &glyphs : nullptr);
        for (TButtonLayout layout : {blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom}) {
            f.list.SetLayout(layout);
            // Tall enough for the vertical stacks, so that the whole content shows.
            f.list.SetItemHeight(layout == blGlyphTop || layout == blGlyphBottom ? 80 : 46);
            EXPECT_TRUE(SamePixels(PaintItemAsSystem(f, 0, 0), Expected(kServiceText, clWindow, f.list.Font(), withGlyphs)))
                << "layout " << layout << (withGlyphs ? " with glyphs" : " without glyphs");
        }
    }
}

TEST_F(GraphicListBoxPaint, LooksPerState) {
    // State fonts that can be told apart by their pixels; a glyph with a transparent centre,
    // which shows the state background.
    f.list.SelectedFont().SetColor(TColor{RGB(0, 0, 160)});
    f.list.SelectedFont().SetStyle(fsUnderline);
    f.list.FocusedFont().SetColor(TColor{RGB(160, 0, 0)});
    f.list.SetBorderHighlight(TColor{RGB(255, 255, 0)});
    unique_hicon holed = SolidIcon(kGlyphSize, kGlyphSize, kGlyph, 8);
    TImageList holedGlyphs(kGlyphSize, kGlyphSize);
    holedGlyphs.AddIcon(holed.get());
    f.list.SetGlyphs(&holedGlyphs);
    f.list.Items().Add(kServiceText);

    const ItemPicture normal = PaintItemDirect(f, 0, 0);
    const ItemPicture selected = PaintItemDirect(f, 0, ODS_SELECTED);
    const ItemPicture hot = PaintItemDirect(f, 0, ODS_FOCUS);
    const ItemPicture selectedHot = PaintItemDirect(f, 0, ODS_SELECTED | ODS_FOCUS);

    // Inside the border: background, text in the state font, glyph with its hole.
    const RECT inner{1, 1, 399, 45};
    auto innerMatches = [&](const ItemPicture& item, TColor background, const TFont& font) {
        const ItemPicture expected = Expected(kServiceText, background, font, true);
        for (int y = inner.top; y < inner.bottom; ++y)
            for (int x = inner.left; x < inner.right; ++x) {
                const bool hole = x >= 14 && x < 22 && y >= 19 && y < 27;
                const COLORREF want = hole ? ColorToRGB(background) : expected.At(x, y);
                if (item.At(x, y) != want) return false;
            }
        return true;
    };
    EXPECT_TRUE(innerMatches(normal, clWindow, f.list.Font()));
    EXPECT_EQ(normal.At(17, 22), ColorToRGB(clWindow)) << "the glyph's hole shows the background";
    EXPECT_TRUE(innerMatches(selected, clSkyBlue, f.list.SelectedFont()));
    EXPECT_TRUE(innerMatches(hot, clMoneyGreen, f.list.FocusedFont()));
    // Selected and hot looks hot, border included.
    EXPECT_TRUE(SamePixels(selectedHot, hot));
    // Only bordered looks have borders: the normal item's edge is background.
    EXPECT_TRUE(AllPixels(normal, RECT{0, 0, 400, 1}, ColorToRGB(clWindow)));
    EXPECT_EQ(selected.At(0, 0), ColorToRGB(clGreen));
    EXPECT_EQ(hot.At(0, 0), RGB(255, 255, 0));
}

TEST_F(GraphicListBoxPaint, FlatLooks) {
    f.list.SetFlat(true);
    f.list.SelectedFont().SetColor(TColor{RGB(0, 0, 160)});
    f.list.FocusedFont().SetColor(TColor{RGB(160, 0, 0)});
    f.list.Items().Add(kServiceText);

    // Hot looks normal, selected or not: no state colours, no state fonts, no borders.
    const ItemPicture normal = PaintItemDirect(f, 0, 0);
    EXPECT_TRUE(SamePixels(normal, Expected(kServiceText, clWindow, f.list.Font(), true)));
    EXPECT_TRUE(SamePixels(PaintItemDirect(f, 0, ODS_FOCUS), normal));

    // Selected: clHighlight with the control's font in clHighlightText, and a dotted focus
    // rectangle over the whole item that inverts every other pixel of its edge.
    TFont highlightFont(f.list.Font());
    highlightFont.SetColor(clHighlightText);
    const ItemPicture expected = Expected(kServiceText, clHighlight, highlightFont, true);
    const ItemPicture selected = PaintItemDirect(f, 0, ODS_SELECTED);
    EXPECT_TRUE(SamePixels(selected, PaintItemDirect(f, 0, ODS_SELECTED | ODS_FOCUS)));
    int inverted = 0;
    int edge = 0;
    bool others = true;
    for (int y = 0; y < 46; ++y)
        for (int x = 0; x < 400; ++x) {
            const COLORREF want = expected.At(x, y);
            const bool onEdge = x == 0 || y == 0 || x == 399 || y == 45;
            if (!onEdge) {
                others = others && selected.At(x, y) == want;
                continue;
            }
            ++edge;
            if (selected.At(x, y) == (~want & 0xFFFFFF)) ++inverted;
            else others = others && selected.At(x, y) == want;
        }
    EXPECT_TRUE(others);
    EXPECT_GT(inverted, edge * 2 / 5);
    EXPECT_LT(inverted, edge * 3 / 5);
}

TEST_F(GraphicListBoxPaint, BorderPixels) {
    const COLORREF shadow = RGB(0, 128, 0);
    const COLORREF highlight = RGB(255, 255, 0);
    f.list.SetBorderShadow(TColor{shadow});
    f.list.SetBorderHighlight(TColor{highlight});
    f.list.Items().Add(kServiceText);
    const int w = 400;
    const int h = 46;

    // Sunken: shadow on the left column (all but the last row) and the top row (all but the
    // last column); highlight on the whole bottom row and the right column below the top row.
    const ItemPicture sunken = PaintItemDirect(f, 0, ODS_SELECTED);
    EXPECT_TRUE(AllPixels(sunken, RECT{0, 0, 1, h - 1}, shadow));
    EXPECT_TRUE(AllPixels(sunken, RECT{0, 0, w - 1, 1}, shadow));
    EXPECT_TRUE(AllPixels(sunken, RECT{0, h - 1, w, h}, highlight));
    EXPECT_TRUE(AllPixels(sunken, RECT{w - 1, 1, w, h}, highlight));
    EXPECT_EQ(sunken.At(w - 1, 0), ColorToRGB(clSkyBlue)) << "the top-right corner keeps the background";
    EXPECT_EQ(sunken.At(0, h - 1), highlight) << "the bottom-left corner takes the second colour";
    EXPECT_EQ(sunken.At(1, 1), ColorToRGB(clSkyBlue));

    // Raised, also over a sunken pass: the same pixels with the colours swapped.
    for (UINT state : {UINT(ODS_FOCUS), UINT(ODS_FOCUS | ODS_SELECTED)}) {
        const ItemPicture raised = PaintItemDirect(f, 0, static_cast<std::uint16_t>(state));
        EXPECT_TRUE(AllPixels(raised, RECT{0, 0, 1, h - 1}, highlight));
        EXPECT_TRUE(AllPixels(raised, RECT{0, 0, w - 1, 1}, highlight));
        EXPECT_TRUE(AllPixels(raised, RECT{0, h - 1, w, h}, shadow));
        EXPECT_TRUE(AllPixels(raised, RECT{w - 1, 1, w, h}, shadow));
        EXPECT_EQ(raised.At(w - 1, 0), ColorToRGB(clMoneyGreen));
        EXPECT_EQ(raised.At(0, h - 1), shadow);
    }
}

TEST_F(GraphicListBoxPaint, MissingGlyphEmptyTextAndRepaint) {
    f.list.Items().Add(kServiceText);
    f.list.Items().Add(kServiceText);  // item 1: past the one glyph
    f.list.Items().Add("");

    // Past the glyph count: background where the glyph would be, text still at x = 36.
    const ItemPicture missing = PaintItemAsSystem(f, 1, 0);
    EXPECT_TRUE(AllPixels(missing, RECT{0, 0, 36, 46}, ColorToRGB(clWindow)));
    EXPECT_TRUE(SamePixels(missing, Expected(kServiceText, clWindow, f.list.Font(), true, false)));

    // Empty text: only the glyph, at x = 2 and vertically centred, on the state background.
    unique_hicon second = SolidIcon(kGlyphSize, kGlyphSize, kGlyph);
    glyphs.AddIcon(second.get());
    glyphs.AddIcon(second.get());
    ExpectedItem onlyGlyph(400, 46, clWindow);
    onlyGlyph.Fill(RECT{2, 7, 34, 39}, kGlyph);
    EXPECT_TRUE(SamePixels(PaintItemDirect(f, 2, 0), onlyGlyph.Picture()));
    const ItemPicture emptySelected = PaintItemDirect(f, 2, ODS_SELECTED);
    EXPECT_TRUE(AllPixels(emptySelected, RECT{34, 1, 399, 45}, ColorToRGB(clSkyBlue)));

    // The same item in the same state, painted again, even over another look: same pixels.
    const ItemPicture first = PaintItemAsSystem(f, 0, ODS_SELECTED);
    PaintItemDirect(f, 0, ODS_FOCUS);
    EXPECT_TRUE(SamePixels(PaintItemAsSystem(f, 0, ODS_SELECTED), first));
    f.list.SetFlat(true);
    EXPECT_TRUE(SamePixels(PaintItemDirect(f, 0, ODS_SELECTED), PaintItemDirect(f, 0, ODS_SELECTED)));
}

TEST_F(GraphicListBoxPaint, SystemPaintsHaveNoHotLookAndNoFocusRectangle) {
    f.list.Items().Add(kServiceText);
    // The keyboard focus bit of a system paint is dropped: no hot look, no focus rectangle.
    EXPECT_TRUE(SamePixels(PaintItemAsSystem(f, 0, ODS_FOCUS), PaintItemAsSystem(f, 0, 0)));
    EXPECT_TRUE(SamePixels(PaintItemAsSystem(f, 0, ODS_FOCUS | ODS_SELECTED), PaintItemAsSystem(f, 0, ODS_SELECTED)));
    EXPECT_FALSE(SamePixels(PaintItemDirect(f, 0, ODS_FOCUS), PaintItemAsSystem(f, 0, 0)));
    // An empty list that has the focus (item -1): the item rectangle takes the brush, nothing else.
    const ItemPicture none = PaintItemAsSystem(f, -1, ODS_FOCUS);
    EXPECT_TRUE(AllPixels(none, RECT{0, 0, none.Width(), none.Height()}, ColorToRGB(clWindow)));
}

TEST_F(GraphicListBoxPaint, ContentWiderOrTallerThanTheItemShowsItsTopLeft) {
    f.list.Items().Add(kServiceText);
    // Three lines and a 32-pixel glyph stacked need 73 rows; the item has 46.
    f.list.SetLayout(blGlyphTop);
    EXPECT_TRUE(SamePixels(PaintItemAsSystem(f, 0, 0), Expected(kServiceText, clWindow, f.list.Font(), true)));
    // The border runs along the shown rows: the bottom row of the item.
    EXPECT_EQ(PaintItemDirect(f, 0, ODS_SELECTED).At(10, 45), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(PaintItemDirect(f, 0, ODS_SELECTED).At(0, 44), ColorToRGB(clGreen));

    // A client narrower than the content: cut at its right edge, in every layout.
    ListFixture narrow(120, 200);
    ConfigureLikeTheForms(narrow.list, &glyphs);
    narrow.list.Items().Add(kServiceText);
    ASSERT_GT(MeasureLines(narrow.list.Font(), kServiceText).width + 36, 120);
    for (TButtonLayout layout : {blGlyphLeft, blGlyphRight, blGlyphTop}) {
        narrow.list.SetLayout(layout);
        narrow.list.SetItemHeight(layout == blGlyphTop ? 80 : 46);
        EXPECT_TRUE(SamePixels(PaintItemAsSystem(narrow, 0, 0), ExpectedIn(narrow.list, kServiceText, clWindow, narrow.list.Font(), true)))
            << "layout " << layout;
    }
}

TEST_F(GraphicListBoxPaint, LargerStateFontKeepsTheControlFontsLayout) {
    // Client exactly as wide as the right layout's content: the two filled columns before the
    // glyph and the glyph itself cover the ends of lines drawn in a larger font.
    const TextMetrics m = MeasureLines(f.list.Font(), kServiceText);
    ListFixture fitted(m.width + kGlyphSize + 4, 200);
    ConfigureLikeTheForms(fitted.list, &glyphs);
    fitted.list.SetLayout(blGlyphRight);
    fitted.list.FocusedFont().SetHeight(-16);
    fitted.list.Items().Add(kServiceText);
    const int width = fitted.list.ClientWidth();
    ASSERT_EQ(width, m.width + kGlyphSize + 4);
    const ItemPicture hot = PaintItemDirect(fitted, 0, ODS_FOCUS);
    const COLORREF green = ColorToRGB(clMoneyGreen);
    EXPECT_TRUE(AllPixels(hot, RECT{width - kGlyphSize - 4, 1, width - kGlyphSize - 2, 45}, green));
    EXPECT_TRUE(AllPixels(hot, RECT{width - kGlyphSize - 2, 7, width - 2, 39}, kGlyph));
    // The lines are placed by the control font's 13-pixel line height, drawn in the larger
    // font, each over the bottom of the one above.
    const std::vector<std::string> lines = SplitTextLines(kServiceText);
    ExpectedItem expected(width, 46, clMoneyGreen);
    for (int k = 0; k < 3; ++k)
        expected.Run(fitted.list.FocusedFont(), 0, (46 - 3 * m.lineHeight) / 2 + k * m.lineHeight, lines[k]);
    expected.Fill(RECT{width - kGlyphSize - 4, 0, width - kGlyphSize - 2, 46}, green);
    expected.Fill(RECT{width - kGlyphSize - 2, 7, width - 2, 39}, kGlyph);
    const ItemPicture want = expected.Picture();
    bool inside = true;
    for (int y = 1; y < 45; ++y)
        for (int x = 1; x < width - 1; ++x) inside = inside && hot.At(x, y) == want.At(x, y);
    EXPECT_TRUE(inside);
}

}  // namespace
}  // namespace rondel::testing
