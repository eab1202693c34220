#include "toolkit/Layout.h"

#include <algorithm>

namespace rondel {

TLayoutBatch::TLayoutBatch(int expectedMoves) : batch_(::BeginDeferWindowPos(expectedMoves)) {}

TLayoutBatch::~TLayoutBatch() {
    if (batch_ != nullptr) ::EndDeferWindowPos(batch_);
}

void TLayoutBatch::Place(TWinControl& control, int left, int top, int width, int height) {
    Defer(control, left, top, width, height, 0);
}

void TLayoutBatch::Place(TWinControl& control, const RECT& bounds) {
    Place(control, bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top);
}

void TLayoutBatch::Move(TWinControl& control, int left, int top) {
    Defer(control, left, top, control.Width(), control.Height(), SWP_NOSIZE);
}

void TLayoutBatch::Defer(TWinControl& control, int left, int top, int width, int height, UINT flags) {
    if (!control.HandleAllocated() || batch_ == nullptr) {
        // Without a window (or when the batch could not be had) the control moves at once.
        if (flags & SWP_NOSIZE) control.SetBounds(left, top, control.Width(), control.Height());
        else control.SetBounds(left, top, width, height);
        return;
    }
    control.SetBounds(left, top, width, height, false);
    batch_ = ::DeferWindowPos(batch_, control.Handle(), nullptr, left, top, width, height,
                              flags | SWP_NOZORDER | SWP_NOACTIVATE);
}

RECT DockBottom(RECT& area, int height) {
    RECT band = area;
    band.top = area.bottom - height;
    area.bottom = band.top;
    return band;
}

RECT DockTop(RECT& area, int height) {
    const RECT band{area.left, area.top, area.right, std::min(area.top + height, area.bottom)};
    area.top = band.bottom;
    return band;
}

}  // namespace rondel
