#include "listbox/ItemLayout.h"

#include <algorithm>

namespace rondel {

ItemPlaces LayOutItem(const ItemSizes& s) {
    const auto px = [&](int value) { return ScaleForDpi(value, s.dpi); };
    const bool glyphs = s.glyphWidth > 0 || s.glyphHeight > 0;
    const bool horizontal = s.layout == blGlyphLeft || s.layout == blGlyphRight;
    const int textHeight = s.lines * s.lineHeight;
    int contentWidth = s.textWidth;
    int contentHeight = textHeight;
    if (glyphs && horizontal) {
        contentWidth = s.textWidth + s.glyphWidth + px(4);
        contentHeight = std::max(textHeight, s.glyphHeight);
    } else if (glyphs) {
        contentWidth = std::max(s.textWidth, s.glyphWidth);
        contentHeight = textHeight + s.glyphHeight + px(2);
    }

    ItemPlaces p;
    p.imageWidth = std::max(contentWidth, s.clientWidth);
    p.imageHeight = std::max(contentHeight, s.itemHeight);
    const int top = (p.imageHeight - contentHeight) / 2;
    const int middle = (p.imageHeight - s.glyphHeight) / 2;
    int glyphLeft = 0;
    int glyphTop = 0;
    switch (s.layout) {
    case blGlyphLeft:
        p.textLeft = s.glyphWidth + px(4);
        p.textTop = (p.imageHeight - textHeight) / 2;
        glyphLeft = px(2);
        glyphTop = middle;
        break;
    case blGlyphRight:
        p.textLeft = 0;
        p.textTop = (p.imageHeight - textHeight) / 2;
        glyphLeft = p.imageWidth - s.glyphWidth - px(2);
        glyphTop = middle;
        if (glyphs) p.gap = {glyphLeft - px(2), 0, glyphLeft, p.imageHeight};
        break;
    case blGlyphTop:
        p.textLeft = (p.imageWidth - s.textWidth) / 2;
        p.textTop = top + s.glyphHeight + px(2);
        glyphLeft = (p.imageWidth - s.glyphWidth) / 2;
        glyphTop = top + px(1);
        break;
    case blGlyphBottom:
        p.textLeft = (p.imageWidth - s.textWidth) / 2;
        p.textTop = top;
        glyphLeft = (p.imageWidth - s.glyphWidth) / 2;
        glyphTop = top + textHeight + px(2);
        if (glyphs) p.gap = {0, glyphTop - px(1), p.imageWidth, glyphTop};
        break;
    }
    if (glyphs) p.glyph = {glyphLeft, glyphTop, glyphLeft + s.glyphWidth, glyphTop + s.glyphHeight};
    return p;
}

}  // namespace rondel
