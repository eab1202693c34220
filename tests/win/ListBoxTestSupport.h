// Helpers for the toolkit and list box tests: a host window, icons of one colour, pixels.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "listbox/GraphicListBox.h"
#include "platform/Win32Handles.h"
#include "toolkit/Bitmap.h"
#include "toolkit/WinControl.h"

namespace rondel::testing {

// A borderless top-level window at a fixed place on the screen; it reflects its controls'
// notifications like any window of the toolkit.
class TestHost : public TWinControl {
public:
    TestHost(int left = 40, int top = 40, int width = 520, int height = 400);

protected:
    void FillCreateParams(CreateParams& params) const override;
};

// The host window of this test program, shown at (40, 40). It is never hidden nor destroyed:
// under Wine without a window manager either waits 2 s for the window to be withdrawn, while
// the end of the process takes it for free.
TestHost& SharedHost();

// A graphic list box on the shared host, its client area clientWidth × clientHeight.
struct ListFixture {
    explicit ListFixture(int clientWidth = 400, int clientHeight = 300);
    TestHost& host;
    TGraphicListBox list;
};

// A width × height icon of one colour; with a hole, its centre square of holeSize is transparent.
// An icon whose pixel (x, y) is pixelAt(x, y) (0xAARRGGBB); a pixel of 0 is transparent.
unique_hicon IconFromPixels(int width, int height, const std::function<DWORD(int x, int y)>& pixelAt);
unique_hicon SolidIcon(int width, int height, COLORREF color, int holeSize = 0);

// The item painted the way the system asks for it: WM_DRAWITEM sent to the host, onto a
// memory DC of ClientWidth × ItemHeight first filled with kUnpainted.
inline constexpr COLORREF kUnpainted = RGB(255, 0, 255);
// A copy of a bitmap's pixels.
struct ItemPicture {
    explicit ItemPicture(const TBitmap& bitmap);
    COLORREF At(int x, int y) const;
    int Width() const { return width; }
    int Height() const { return height; }
    int width;
    int height;
    std::vector<DWORD> pixels;
};
ItemPicture PaintItemAsSystem(ListFixture& fixture, int index, UINT state);
// PaintItem called directly, as PaintHotItem does, onto a memory DC of the same size.
ItemPicture PaintItemDirect(ListFixture& fixture, int index, std::uint16_t state);

// What an item should look like, composed from the layout formulas: a background, text runs
// drawn like the item's lines, rectangles of one colour (the solid glyphs).
class ExpectedItem {
public:
    ExpectedItem(int width, int height, TColor background);
    void Run(const TFont& font, int x, int y, const std::string& text);
    void Fill(const RECT& rect, COLORREF color);
    // The top-left width × height of it.
    ItemPicture Picture(int width, int height) const;
    ItemPicture Picture() const { return ItemPicture(bitmap_); }

private:
    TBitmap bitmap_;
    TColor background_;
};

// Pixels of a window's client area as they are on the screen now.
ItemPicture CaptureClient(HWND window);

// One text run drawn at (0, 0) in font on background, the way an item draws a line.
ItemPicture TextRun(const TFont& font, TColor background, const std::string& text);

// True when picture holds run at (x, y), pixel for pixel, as far as the picture reaches.
bool HoldsRunAt(const ItemPicture& picture, const ItemPicture& run, int x, int y);

// Every pixel of the rectangle (right and bottom excluded) has the colour.
bool AllPixels(const ItemPicture& picture, const RECT& rect, COLORREF color);
::testing::AssertionResult SamePixels(const ItemPicture& actual, const ItemPicture& expected);

// Writes width × height pixels (0x00RRGGBB, top row first) as a 24-bit BMP file.
bool WriteBmp(int width, int height, const DWORD* pixels, const char* path);
// The pictures one under the other, as a BMP file.
bool WriteBmp(const std::vector<ItemPicture>& pictures, const char* path);

// Dispatches the thread's messages for about milliseconds.
void PumpMessages(int milliseconds);

// The widest line and the line height of a text in the list's own font.
struct TextMetrics {
    int width;
    int lineHeight;
};
TextMetrics MeasureLines(const TFont& font, const std::string& text);

}  // namespace rondel::testing
