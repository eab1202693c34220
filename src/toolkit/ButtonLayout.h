// Where a glyph sits next to its text, in list items and on buttons.
#pragma once

namespace rondel {

enum TButtonLayout {
    blGlyphLeft = 0,
    blGlyphRight = 1,
    blGlyphTop = 2,
    blGlyphBottom = 3,
};

}  // namespace rondel
