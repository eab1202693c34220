#include <gtest/gtest.h>

#include <ostream>

#include "listbox/ItemLayout.h"

namespace rondel {

// What a failure prints: image size, text origin, glyph, gap.
static void PrintTo(const ItemPlaces& p, std::ostream* os) {
    *os << p.imageWidth << "x" << p.imageHeight << ", text (" << p.textLeft << "," << p.textTop << "), glyph {"
        << p.glyph.left << "," << p.glyph.top << "," << p.glyph.right << "," << p.glyph.bottom << "}, gap {" << p.gap.left
        << "," << p.gap.top << "," << p.gap.right << "," << p.gap.bottom << "}";
}

namespace {

// Three lines 200 pixels wide beside a 32 × 32 glyph, as the service lists show them.
TEST(LayOutItem, PlacesGlyphTextAndGapForEveryLayoutSizeAndOverflow) {
    const struct {
        const char* what;
        TButtonLayout layout;
        int lineHeight, glyph, clientWidth, itemHeight;
        ItemPlaces want;  // image size, text origin, glyph, gap
        int dpi = 96;
    } cases[] = {
        {"worked example", blGlyphLeft, 12, 32, 400, 46, {400, 46, 36, 5, {2, 7, 34, 39}, {}}},
        {"13-pixel lines", blGlyphLeft, 13, 32, 400, 46, {400, 46, 36, 3, {2, 7, 34, 39}, {}}},
        {"right", blGlyphRight, 13, 32, 400, 46, {400, 46, 0, 3, {366, 7, 398, 39}, {364, 0, 366, 46}}},
        {"top", blGlyphTop, 13, 32, 400, 80, {400, 80, 100, 37, {184, 4, 216, 36}, {}}},
        {"bottom", blGlyphBottom, 13, 32, 400, 80, {400, 80, 100, 3, {184, 44, 216, 76}, {0, 43, 400, 44}}},
        {"left, no glyphs", blGlyphLeft, 13, 0, 400, 46, {400, 46, 4, 3, {}, {}}},
        {"right, no glyphs", blGlyphRight, 13, 0, 400, 46, {400, 46, 0, 3, {}, {}}},
        {"top, no glyphs", blGlyphTop, 13, 0, 400, 46, {400, 46, 100, 5, {}, {}}},
        {"bottom, no glyphs", blGlyphBottom, 13, 0, 400, 46, {400, 46, 100, 3, {}, {}}},
        // Wider than the client: the image grows to the content; the item shows its left part.
        {"narrow left", blGlyphLeft, 13, 32, 120, 46, {236, 46, 36, 3, {2, 7, 34, 39}, {}}},
        {"narrow right", blGlyphRight, 13, 32, 120, 46, {236, 46, 0, 3, {202, 7, 234, 39}, {200, 0, 202, 46}}},
        {"narrow top", blGlyphTop, 13, 32, 120, 80, {200, 80, 0, 37, {84, 4, 116, 36}, {}}},
        // Taller than the item: the image grows; the item shows its top rows.
        {"tall top", blGlyphTop, 13, 32, 400, 46, {400, 73, 100, 34, {184, 1, 216, 33}, {}}},
        // At 144 DPI the margins are 1.5 times theirs (a pixel becomes two), beside a 48 × 48 glyph.
        {"144 left", blGlyphLeft, 20, 48, 600, 69, {600, 69, 54, 4, {3, 10, 51, 58}, {}}, 144},
        {"144 right", blGlyphRight, 20, 48, 600, 69, {600, 69, 0, 4, {549, 10, 597, 58}, {546, 0, 549, 69}}, 144},
        {"144 top", blGlyphTop, 20, 48, 600, 120, {600, 120, 200, 55, {276, 6, 324, 54}, {}}, 144},
        {"144 bottom", blGlyphBottom, 20, 48, 600, 120, {600, 120, 200, 4, {276, 67, 324, 115}, {0, 65, 600, 67}}, 144},
    };
    for (const auto& c : cases) {
        ItemSizes sizes{c.layout, 200, c.lineHeight, 3, c.glyph, c.glyph, c.clientWidth, c.itemHeight, c.dpi};
        EXPECT_EQ(LayOutItem(sizes), c.want) << c.what;
    }
}

}  // namespace
}  // namespace rondel
