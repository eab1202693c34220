// Icons, image lists and indirect strings of the seam, against Wine's shell and comctl32.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "FixturePaths.h"
#include "ListBoxTestSupport.h"
#include "platform/Win32Handles.h"
#include "platform/Win32Platform.h"

namespace {

using namespace rondel::platform;
using rondel::fixtures::FixturePath;

SIZE IconSize(RawHandle icon) {
    ICONINFO info{};
    SIZE size{0, 0};
    if (!GetIconInfo(reinterpret_cast<HICON>(icon), &info)) return size;
    rondel::unique_hbitmap color(info.hbmColor);
    rondel::unique_hbitmap mask(info.hbmMask);
    BITMAP bitmap{};
    GetObjectA(info.hbmMask, sizeof bitmap, &bitmap);
    size.cx = bitmap.bmWidth;
    size.cy = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
    return size;
}

// The colour an image leaves on white, near its left edge (the fixture icon is blue there).
COLORREF EdgeOnWhite(rondel::platform::IImageList& images, int index) {
    HDC screen = GetDC(nullptr);
    rondel::unique_hdc dc(CreateCompatibleDC(screen));
    rondel::unique_hbitmap bitmap(CreateCompatibleBitmap(screen, 32, 32));
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc.get(), bitmap.get());
    RECT all{0, 0, 32, 32};
    FillRect(dc.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(reinterpret_cast<HIMAGELIST>(images.NativeHandle()), index, dc.get(), 0, 0, ILD_NORMAL);
    const COLORREF colour = GetPixel(dc.get(), 5, 16);
    SelectObject(dc.get(), old);
    return colour;
}

TEST(Win32Shell, AssociatedIconOnlyForFilesThatHaveOne) {
    Win32Shell shell;
    IconHandle icon = shell.AssociatedIcon(FixturePath("vi_japanese.exe"));
    ASSERT_TRUE(icon);
    EXPECT_EQ(IconSize(icon.get()).cx, 32);
    EXPECT_TRUE(shell.AssociatedIcon(FixturePath("RondelTestService.exe")));

    EXPECT_FALSE(shell.AssociatedIcon(FixturePath("vi_no_icon.exe")));
    EXPECT_FALSE(shell.AssociatedIcon(FixturePath("vi_none.exe")));
    EXPECT_FALSE(shell.AssociatedIcon(FixturePath("no-such-file.exe")));
    EXPECT_FALSE(shell.AssociatedIcon(""));
    const std::string text = FixturePath("associated-icon.txt");
    std::ofstream(text) << "no icon here\n";
    EXPECT_FALSE(shell.AssociatedIcon(text));
    DeleteFileA(text.c_str());
    // A path longer than the shell's buffer is cut, not overrun.
    EXPECT_FALSE(shell.AssociatedIcon("C:\\" + std::string(400, 'x') + ".exe"));
}

TEST(Win32Shell, IconsOfShell32AndOfTheFixtures) {
    Win32Shell shell;
    Win32Environment environment;
    const std::string shell32 = environment.SystemDirectory() + "\\shell32.dll";
    for (uint32_t index : {0u, 2u}) {
        IconHandle icon = shell.IconOfFile(shell32, index);
        ASSERT_TRUE(icon) << index;
        EXPECT_EQ(IconSize(icon.get()).cx, 32) << index;
        EXPECT_EQ(IconSize(icon.get()).cy, 32) << index;
    }
    EXPECT_TRUE(shell.IconOfFile(FixturePath("vi_japanese.exe"), 0));
    EXPECT_FALSE(shell.IconOfFile(FixturePath("vi_japanese.exe"), 5));
    EXPECT_FALSE(shell.IconOfFile(FixturePath("vi_none.exe"), 0));
    EXPECT_FALSE(shell.IconOfFile(FixturePath("no-such-file.dll"), 0));

    IconHandle original = shell.IconOfFile(shell32, 2);
    IconHandle copy = shell.CopyIcon(original.get());
    ASSERT_TRUE(copy);
    EXPECT_NE(copy.get(), original.get());
    EXPECT_FALSE(shell.CopyIcon(0));
}

TEST(Win32Shell, ImageListKeepsInStepWithItsItems) {
    Win32Shell shell;
    Win32Environment environment;
    IconHandle icon = shell.IconOfFile(environment.SystemDirectory() + "\\shell32.dll", 2);
    IconHandle fixture = shell.AssociatedIcon(FixturePath("vi_japanese.exe"));
    ASSERT_TRUE(icon);
    ASSERT_TRUE(fixture);

    auto images = shell.CreateImageList(32, 32);
    ASSERT_NE(images->NativeHandle(), 0u);
    EXPECT_EQ(images->Count(), 0);
    EXPECT_EQ(images->AddIcon(icon.get()), 0);
    // No icon still takes a place, and it draws nothing.
    EXPECT_EQ(images->AddIcon(0), 1);
    EXPECT_EQ(images->AddIcon(fixture.get()), 2);
    EXPECT_EQ(images->Count(), 3);
    EXPECT_EQ(EdgeOnWhite(*images, 1), RGB(255, 255, 255));
    EXPECT_NE(EdgeOnWhite(*images, 2), RGB(255, 255, 255));

    // Replacing keeps the count and the neighbours.
    EXPECT_TRUE(images->ReplaceIcon(1, fixture.get()));
    EXPECT_EQ(images->Count(), 3);
    EXPECT_EQ(EdgeOnWhite(*images, 1), EdgeOnWhite(*images, 2));
    EXPECT_FALSE(images->ReplaceIcon(7, fixture.get()));

    IconHandle got = images->GetIcon(2);
    ASSERT_TRUE(got);
    EXPECT_EQ(IconSize(got.get()).cx, 32);
    EXPECT_FALSE(images->GetIcon(3));
    EXPECT_FALSE(images->GetIcon(-1));

    images->Clear();
    EXPECT_EQ(images->Count(), 0);
    EXPECT_FALSE(images->GetIcon(0));
}

// Pixels of image index drawn on a background of one colour.
std::vector<COLORREF> Drawn(rondel::platform::IImageList& images, int index, COLORREF background) {
    rondel::unique_hdc dc(CreateCompatibleDC(nullptr));
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    rondel::unique_hbitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    HGDIOBJ old = SelectObject(dc.get(), bitmap.get());
    rondel::unique_hbrush brush(CreateSolidBrush(background));
    RECT all{0, 0, 32, 32};
    FillRect(dc.get(), &all, brush.get());
    ImageList_Draw(reinterpret_cast<HIMAGELIST>(images.NativeHandle()), index, dc.get(), 0, 0, ILD_NORMAL);
    GdiFlush();
    std::vector<COLORREF> pixels(static_cast<const COLORREF*>(bits), static_cast<const COLORREF*>(bits) + 32 * 32);
    SelectObject(dc.get(), old);
    return pixels;
}

// All icons in one call give the images that one call per icon gives: icons with and without
// an alpha channel, none, one met again, and one of another size.
TEST(Win32Shell, IconsAddedTogetherAreTheImagesAddedOneByOne) {
    Win32Shell shell;
    Win32Environment environment;
    const IconHandle shellIcon = shell.IconOfFile(environment.SystemDirectory() + "\\shell32.dll", 2);
    const IconHandle fixture = shell.AssociatedIcon(FixturePath("vi_japanese.exe"));
    const IconHandle service = shell.AssociatedIcon(rondel::fixtures::TestServicePath());
    const rondel::unique_hicon large = rondel::testing::IconFromPixels(48, 48, [](int x, int y) {
        return x < y ? 0xFF2060C0u : 0u;
    });
    ASSERT_TRUE(shellIcon && fixture && service);
    const std::vector<RawHandle> icons = {fixture.get(), shellIcon.get(), 0, fixture.get(), service.get(),
                                          reinterpret_cast<RawHandle>(large.get()), shellIcon.get()};
    auto together = shell.CreateImageList(32, 32);
    auto oneByOne = shell.CreateImageList(32, 32);
    oneByOne->AddIcon(service.get());
    together->AddIcon(service.get());
    EXPECT_EQ(together->AddIcons(icons), 1) << "the index of the first";
    for (const RawHandle icon : icons) oneByOne->AddIcon(icon);
    ASSERT_EQ(together->Count(), oneByOne->Count());
    for (int k = 0; k < together->Count(); ++k)
        for (const COLORREF background : {RGB(255, 255, 255), RGB(0, 0, 0), RGB(30, 200, 10)})
            EXPECT_EQ(Drawn(*together, k, background), Drawn(*oneByOne, k, background)) << "image " << k;
    EXPECT_EQ(together->AddIcons({}), together->Count());
}

// The fixture library's string table, in code page 932. Wine's SHLoadIndirectString does not
// expand environment references itself; the seam does, as Windows would.
TEST(Win32Shell, IndirectStringsResolveToTheLibrarysText) {
    Win32Shell shell;
    EXPECT_EQ(shell.LoadIndirectString(rondel::fixtures::IndirectStringReference(101)), "ロンデル間接表示名サービス");
    EXPECT_EQ(shell.LoadIndirectString(rondel::fixtures::IndirectStringReference(102)),
              "表示名と説明を文字列リソースから読むサービスです。");

    SetEnvironmentVariableA("RONDEL_FIXTURE_DIR", rondel::fixtures::FixtureDirectory().c_str());
    EXPECT_EQ(shell.LoadIndirectString("@%RONDEL_FIXTURE_DIR%RondelStrings.dll,-103"), "ロンデル試験文字列 三番");
    SetEnvironmentVariableA("RONDEL_FIXTURE_DIR", nullptr);

    EXPECT_EQ(shell.LoadIndirectString(rondel::fixtures::IndirectStringReference(999)), std::nullopt);
    EXPECT_EQ(shell.LoadIndirectString("@" + FixturePath("NoSuchLibrary.dll") + ",-101"), std::nullopt);
    EXPECT_EQ(shell.LoadIndirectString("@%RONDEL_UNSET_VARIABLE%\\RondelStrings.dll,-101"), std::nullopt);
    // Text that is no reference comes back as it is.
    EXPECT_EQ(shell.LoadIndirectString("普通の表示名"), "普通の表示名");
}

}  // namespace
