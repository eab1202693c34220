// What the windows' service lists have in common: the look of their graphic list boxes, and
// how a list of services fills one.
#pragma once

#include <vector>

#include "catalogue/ServiceEntry.h"
#include "listbox/GraphicListBox.h"
#include "platform/Platform.h"
#include "toolkit/ImageList.h"

namespace rondel {

// 46-high items, icon on the left, selected in sky blue and hot in money green, bordered. With
// high contrast, the selected and hot items take the system's highlight and hot-track colours
// with their text colours, and the borders the system's 3D colours.
void ApplyServiceListLook(TGraphicListBox& listBox, bool highContrast = HighContrastOn());

// Shows the services' display texts, entry k drawn with image k of icons (glyphs is made to
// view them; none without icons). The items change in place: those that stay are not touched,
// the list is never empty meanwhile and the first item shown stays where it was.
void ShowServiceList(TGraphicListBox& listBox, const std::vector<ServiceEntry>& entries,
                     const platform::IImageList* icons, TImageList& glyphs);
// The same with the items' texts given.
void ShowServiceList(TGraphicListBox& listBox, const std::vector<std::string>& texts,
                     const platform::IImageList* icons, TImageList& glyphs);

}  // namespace rondel
