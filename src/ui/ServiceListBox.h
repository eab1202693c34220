// What the windows' service lists have in common: the look of their graphic list boxes, and
// how a list of services fills one.
#pragma once

#include "catalogue/ServiceCatalogue.h"
#include "listbox/GraphicListBox.h"
#include "toolkit/ImageList.h"

namespace rondel {

// 46-high items, icon on the left, selected in sky blue and hot in money green, bordered.
void ApplyServiceListLook(TGraphicListBox& listBox);

// Shows the list's service display texts, item k drawn with image k of the list's icons
// (glyphs is made to view them), nothing selected. One repaint for the whole list.
void FillServiceListBox(TGraphicListBox& listBox, const StateList& list, TImageList& glyphs);

}  // namespace rondel
