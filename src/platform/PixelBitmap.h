// A bitmap whose pixels the program writes itself: the image lists' strips and the forms'
// off-screen images are made of it.
#pragma once

#include <windows.h>

#include "platform/Win32Handles.h"

namespace rondel {

// A 32-bit top-down bitmap whose pixels (0xAARRGGBB words, top row first) *bits points at;
// empty when it cannot be made.
unique_hbitmap CreatePixelBitmap(HDC dc, int width, int height, DWORD** bits);

}  // namespace rondel
