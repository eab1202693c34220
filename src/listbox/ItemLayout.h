// Where a list item's parts go: the glyph, the lines of text and the strip filled beside the
// glyph, from the item's sizes and its layout alone. The item is composed on an image at least
// as large as the item (larger when the content is), of which the item shows the top-left.
#pragma once

#include "toolkit/ButtonLayout.h"
#include "toolkit/DpiScale.h"

namespace rondel {

struct ItemBox {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const ItemBox&) const = default;
};

struct ItemSizes {
    TButtonLayout layout = blGlyphLeft;
    // The widest line and the height of one, in the control's font.
    int textWidth = 0;
    int lineHeight = 0;
    int lines = 0;
    // No glyphs: 0 × 0, and no room is kept for one.
    int glyphWidth = 0;
    int glyphHeight = 0;
    int clientWidth = 0;
    int itemHeight = 0;
    // The margins around the glyph are written for 96 DPI and scaled to this.
    int dpi = kDesignDpi;
};

struct ItemPlaces {
    int imageWidth = 0;
    int imageHeight = 0;
    // Line k starts at (textLeft, textTop + k × lineHeight).
    int textLeft = 0;
    int textTop = 0;
    ItemBox glyph;
    // Filled with the item's background after the text: the text's end under the right
    // layout's glyph, or its descent above the bottom layout's glyph. Empty otherwise.
    ItemBox gap;
    bool operator==(const ItemPlaces&) const = default;
};

ItemPlaces LayOutItem(const ItemSizes& sizes);

}  // namespace rondel
