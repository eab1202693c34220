#include <gtest/gtest.h>

#include "toolkit/DpiScale.h"

namespace rondel {
namespace {

// The layout's numbers at the densities of common screens, rounded as MulDiv rounds: halves
// away from zero, so that a 1-pixel margin is 2 at 144 DPI and -12 (a font's height) is -18.
TEST(ScaleForDpi, LeavesNinetySixAsItIsAndRoundsHalvesAwayFromZero) {
    const struct {
        int value, dpi, want;
    } cases[] = {
        {0, 144, 0},     {1, 96, 1},       {46, 96, 46},     {640, 96, 640},  {-12, 96, -12},
        {1, 144, 2},     {2, 144, 3},      {4, 144, 6},      {19, 144, 29},   {25, 144, 38},
        {31, 144, 47},   {57, 144, 86},    {46, 144, 69},    {640, 144, 960}, {-12, 144, -18},
        {-1, 144, -2},   {-3, 144, -5},    {1, 120, 1},      {2, 120, 3},     {19, 120, 24},
        {-12, 120, -15}, {12, 192, 24},    {31, 168, 54},    {7, 72, 5},      {3, 48, 2},
        {1'000'000, 288, 3'000'000},
    };
    for (const auto& c : cases) EXPECT_EQ(ScaleForDpi(c.value, c.dpi), c.want) << c.value << " at " << c.dpi;
}

}  // namespace
}  // namespace rondel
