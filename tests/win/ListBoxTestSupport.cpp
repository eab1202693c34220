#include "ListBoxTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/Win32Handles.h"
#include "text/StringList.h"

namespace rondel::testing {

TestHost::TestHost(int left, int top, int width, int height) {
    SetBounds(left, top, width, height);
    SetColor(clBtnFace);
}

void TestHost::FillCreateParams(CreateParams& params) const {
    params.windowClass.name = "RondelTestHost";
    params.style = WS_POPUP | WS_CLIPCHILDREN;
    params.exStyle = WS_EX_TOOLWINDOW;
}

TestHost& SharedHost() {
    static TestHost* host = [] {
        auto* made = new TestHost;
        made->CreateHandle();
        ::ShowWindow(made->Handle(), SW_SHOWNOACTIVATE);
        return made;
    }();
    return *host;
}

ListFixture::ListFixture(int clientWidth, int clientHeight) : host(SharedHost()) {
    // WS_EX_CLIENTEDGE takes two pixels on each side.
    list.SetBounds(10, 10, clientWidth + 4, clientHeight + 4);
    list.CreateHandle(host.Handle());
    ::UpdateWindow(list.Handle());
}

unique_hicon IconFromPixels(int width, int height, const std::function<DWORD(int x, int y)>& pixelAt) {
    DWORD* pixels = nullptr;
    unique_hbitmap colour = CreatePixelBitmap(nullptr, width, height, &pixels);
    if (!colour) return {};
    const int stride = ((width + 15) / 16) * 2;
    std::vector<BYTE> maskBits(static_cast<std::size_t>(stride * height), 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const DWORD pixel = pixelAt(x, y);
            pixels[y * width + x] = pixel;
            if (pixel == 0) maskBits[static_cast<std::size_t>(y * stride + x / 8)] |= static_cast<BYTE>(0x80 >> (x % 8));
        }
    }
    unique_hbitmap mask(::CreateBitmap(width, height, 1, 1, maskBits.data()));
    ICONINFO icon{};
    icon.fIcon = TRUE;
    icon.hbmColor = colour.get();
    icon.hbmMask = mask.get();
    return unique_hicon(::CreateIconIndirect(&icon));
}

unique_hicon SolidIcon(int width, int height, COLORREF color, int holeSize) {
    const int holeLeft = (width - holeSize) / 2;
    const int holeTop = (height - holeSize) / 2;
    const DWORD solid = 0xFF000000u | (GetRValue(color) << 16) | (GetGValue(color) << 8) | GetBValue(color);
    return IconFromPixels(width, height, [&](int x, int y) -> DWORD {
        const bool hole = x >= holeLeft && x < holeLeft + holeSize && y >= holeTop && y < holeTop + holeSize;
        return hole ? 0 : solid;
    });
}

ItemPicture::ItemPicture(const TBitmap& bitmap)
    : width(bitmap.Width()), height(bitmap.Height()),
      pixels(bitmap.Pixels(), bitmap.Pixels() + bitmap.Width() * bitmap.Height()) {}

COLORREF ItemPicture::At(int x, int y) const {
    const DWORD pixel = pixels[static_cast<std::size_t>(y * width + x)];
    return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
}

ItemPicture PaintItemAsSystem(ListFixture& fixture, int index, UINT state) {
    TBitmap bitmap(fixture.list.ClientWidth(), fixture.list.ItemHeight());
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetColor(TColor{kUnpainted});
    canvas.FillRect(RECT{0, 0, bitmap.Width(), bitmap.Height()});

    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = static_cast<UINT>(::GetDlgCtrlID(fixture.list.Handle()));
    item.itemID = static_cast<UINT>(index);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = fixture.list.Handle();
    item.hDC = canvas.Handle();
    item.rcItem = RECT{0, 0, bitmap.Width(), bitmap.Height()};
    ::SendMessageA(fixture.host.Handle(), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    return ItemPicture(bitmap);
}

ItemPicture PaintItemDirect(ListFixture& fixture, int index, std::uint16_t state) {
    TBitmap bitmap(fixture.list.ClientWidth(), fixture.list.ItemHeight());
    bitmap.Canvas().Brush().SetColor(TColor{kUnpainted});
    bitmap.Canvas().FillRect(RECT{0, 0, bitmap.Width(), bitmap.Height()});
    const TCanvasBinding binding(fixture.list.Canvas(), bitmap.Canvas().Handle());
    fixture.list.PaintItem(index, RECT{0, 0, bitmap.Width(), bitmap.Height()}, state);
    return ItemPicture(bitmap);
}

ExpectedItem::ExpectedItem(int width, int height, TColor background) : bitmap_(width, height), background_(background) {
    bitmap_.Canvas().Brush().SetColor(background);
    bitmap_.Canvas().FillRect(RECT{0, 0, width, height});
}

void ExpectedItem::Run(const TFont& font, int x, int y, const std::string& text) {
    const ItemPicture run = TextRun(font, background_, text);
    for (int j = 0; j < run.Height(); ++j)
        for (int i = 0; i < run.Width(); ++i)
            if (x + i >= 0 && x + i < bitmap_.Width() && y + j >= 0 && y + j < bitmap_.Height())
                ::SetPixelV(bitmap_.Canvas().Handle(), x + i, y + j, run.At(i, j));
}

void ExpectedItem::Fill(const RECT& rect, COLORREF color) {
    TBrush brush(TColor{color});
    ::FillRect(bitmap_.Canvas().Handle(), &rect, brush.Handle());
}

ItemPicture ExpectedItem::Picture(int width, int height) const {
    ItemPicture whole(bitmap_);
    ItemPicture part = whole;
    part.width = width;
    part.height = height;
    part.pixels.clear();
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) part.pixels.push_back(whole.pixels[static_cast<std::size_t>(y * whole.width + x)]);
    return part;
}

ItemPicture CaptureClient(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    TBitmap bitmap(client.right, client.bottom);
    window_dc dc(window);
    ::BitBlt(bitmap.Canvas().Handle(), 0, 0, client.right, client.bottom, dc.get(), 0, 0, SRCCOPY);
    return ItemPicture(bitmap);
}

ItemPicture TextRun(const TFont& font, TColor background, const std::string& text) {
    TBitmap probe(1, 1);
    probe.Canvas().Font().Assign(font);
    const SIZE size = probe.Canvas().TextExtent(text);
    TBitmap run(size.cx, size.cy);
    TCanvas& canvas = run.Canvas();
    canvas.Font().Assign(font);
    canvas.Brush().SetColor(background);
    canvas.FillRect(RECT{0, 0, run.Width(), run.Height()});
    canvas.TextOut(0, 0, text);
    return ItemPicture(run);
}

bool HoldsRunAt(const ItemPicture& picture, const ItemPicture& run, int x, int y) {
    if (x < 0 || y < 0 || x >= picture.Width() || y >= picture.Height()) return false;
    for (int j = 0; j < run.Height() && y + j < picture.Height(); ++j)
        for (int i = 0; i < run.Width() && x + i < picture.Width(); ++i)
            if (picture.At(x + i, y + j) != run.At(i, j)) return false;
    return true;
}

bool AllPixels(const ItemPicture& picture, const RECT& rect, COLORREF color) {
    for (int y = rect.top; y < rect.bottom; ++y)
        for (int x = rect.left; x < rect.right; ++x)
            if (picture.At(x, y) != color) return false;
    return true;
}

::testing::AssertionResult SamePixels(const ItemPicture& actual, const ItemPicture& expected) {
    if (actual.Width() != expected.Width() || actual.Height() != expected.Height())
        return ::testing::AssertionFailure() << "size " << actual.Width() << "x" << actual.Height() << ", expected "
                                             << expected.Width() << "x" << expected.Height();
    int differences = 0;
    int firstX = -1, firstY = -1;
    for (int y = 0; y < actual.Height(); ++y)
        for (int x = 0; x < actual.Width(); ++x)
            if (actual.At(x, y) != expected.At(x, y) && differences++ == 0) {
                firstX = x;
                firstY = y;
            }
    if (differences == 0) return ::testing::AssertionSuccess();
    char text[160];
    std::snprintf(text, sizeof(text), "%d pixels differ; first at (%d, %d): %06lx, expected %06lx", differences, firstX,
                  firstY, actual.At(firstX, firstY), expected.At(firstX, firstY));
    return ::testing::AssertionFailure() << text;
}

void PumpMessages(int milliseconds) {
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageA(&message);
        }
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (static_cast<LONG>(end - ::GetTickCount()) > 0);
}

TextMetrics MeasureLines(const TFont& font, const std::string& text) {
    TBitmap probe(1, 1);
    probe.Canvas().Font().Assign(font);
    int width = 0;
    for (const std::string& line : SplitTextLines(text)) width = std::max(width, probe.Canvas().TextWidth(line));
    return {width, probe.Canvas().TextHeight(text)};
}

bool WriteBmp(int width, int height, const DWORD* pixels, const char* path) {
    // 24-bit, bottom-up: what every reader takes.
    const int stride = (width * 3 + 3) & ~3;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height;
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(stride * height);
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    FILE* out = std::fopen(path, "wb");
    if (!out) return false;
    std::fwrite(&file, sizeof(file), 1, out);
    std::fwrite(&header, sizeof(header), 1, out);
    std::vector<BYTE> row(static_cast<std::size_t>(stride), 0);
    for (int y = height - 1; y >= 0; --y) {
        for (int x = 0; x < width; ++x) {
            const DWORD pixel = pixels[y * width + x];
            row[static_cast<std::size_t>(x * 3)] = static_cast<BYTE>(pixel & 0xFF);
            row[static_cast<std::size_t>(x * 3 + 1)] = static_cast<BYTE>((pixel >> 8) & 0xFF);
            row[static_cast<std::size_t>(x * 3 + 2)] = static_cast<BYTE>((pixel >> 16) & 0xFF);
        }
        std::fwrite(row.data(), row.size(), 1, out);
    }
    return std::fclose(out) == 0;
}

bool WriteBmp(const std::vector<ItemPicture>& pictures, const char* path) {
    int width = 0;
    for (const ItemPicture& picture : pictures) width = std::max(width, picture.Width());
    std::vector<DWORD> pixels;
    for (const ItemPicture& picture : pictures)
        for (int y = 0; y < picture.Height(); ++y)
            for (int x = 0; x < width; ++x)
                pixels.push_back(x < picture.Width() ? picture.pixels[static_cast<std::size_t>(y * picture.Width() + x)] : 0);
    return WriteBmp(width, static_cast<int>(pixels.size()) / std::max(width, 1), pixels.data(), path);
}

}  // namespace rondel::testing
