#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "FixturePaths.h"
#include "RondelWindow.h"

namespace {

using rondel::e2e::RunAndWait;

TEST(Programs, RondelListRunsToItsEnd) {
    EXPECT_EQ(RunAndWait("\"" + rondel::fixtures::BuildDirectory() + "RondelList.exe\"", 60000), 0u);
}

}  // namespace
