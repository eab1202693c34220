#include "listbox/ItemLayout.h"

#include <algorithm>

namespace rondel {

ItemPlaces LayOutItem(const ItemSizes& s) {
    const bool glyphs = s.glyphWidth > 0 || s.glyphHeight > 0;
    const bool horizontal = s.layout == blGlyphLeft || s.layout == blGlyphRight;
    const int textHeight = s.lines * s.lineHeight;
    int contentWidth = s.textWidth;
    int contentHeight = textHeight;
    if (glyphs && horizontal) {
        contentWidth = s.textWidth + s.glyphWidth + 4;
        contentHeight = std::max(textHeight, s.glyphHeight);
    } else if (glyphs) {
        contentWidth = std::max(s.textWidth, s.glyphWidth);
        contentHeight = textHeight + s.glyphHeight + 2;
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
        p.textLeft = s.glyphWidth + 4;
        p.textTop = (p.imageHeight - textHeight) / 2;
        glyphLeft = 2;
        glyphTop = middle;
        break;
    case blGlyphRight:
        p.textLeft = 0;
        p.textTop = (p.imageHeight - textHeight) / 2;
        glyphLeft = p.imageWidth - s.glyphWidth - 2;
        glyphTop = middle;
        if (glyphs) p.gap = {glyphLeft - 2, 0, glyphLeft, p.imageHeight};
        break;
    case blGlyphTop:
        p.textLeft = (p.imageWidth - s.textWidth) / 2;
        p.textTop = top + s.glyphHeight + 2;
        glyphLeft = (p.imageWidth - s.glyphWidth) / 2;
        glyphTop = top + 1;
        break;
    case blGlyphBottom:
        p.textLeft = (p.imageWidth - s.textWidth) / 2;
        p.textTop = top;
        glyphLeft = (p.imageWidth - s.glyphWidth) / 2;
        glyphTop = top + textHeight + 2;
        if (glyphs) p.gap = {0, glyphTop - 1, p.imageWidth, glyphTop};
        break;
    }
    if (glyphs) p.glyph = {glyphLeft, glyphTop, glyphLeft + s.glyphWidth, glyphTop + s.glyphHeight};
    return p;
}

}  // namespace rondel
