// Layout in one batch per parent (DeferWindowPos), with helpers that read like the layout
// rules: dock to the bottom, fill the rest, place at a position.
#pragma once

#include <windows.h>

#include "toolkit/WinControl.h"

namespace rondel {

// The moves of one parent's controls, applied together when the batch ends.
class TLayoutBatch {
public:
    explicit TLayoutBatch(int expectedMoves = 8);
    TLayoutBatch(const TLayoutBatch&) = delete;
    TLayoutBatch& operator=(const TLayoutBatch&) = delete;
    ~TLayoutBatch();

    void Place(TWinControl& control, int left, int top, int width, int height);
    void Place(TWinControl& control, const RECT& bounds);
    // Moves without resizing (a drop-down list's height is that of its open list).
    void Move(TWinControl& control, int left, int top);

private:
    void Defer(TWinControl& control, int left, int top, int width, int height, UINT flags);
    HDWP batch_;
};

// Takes a band of height off the bottom of area and returns it.
RECT DockBottom(RECT& area, int height);
// The same off the top.
RECT DockTop(RECT& area, int height);

}  // namespace rondel
