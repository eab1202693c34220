#include <gtest/gtest.h>

#include "catalogue/ServiceEntry.h"

namespace rondel {
namespace {

ServiceEntry Entry(std::string name, std::string display, std::string path, std::string company,
                   std::string description) {
    ServiceEntry e;
    e.serviceName = std::move(name);
    e.displayName = std::move(display);
    e.executablePath = std::move(path);
    e.company = std::move(company);
    e.description = std::move(description);
    return e;
}

TEST(ServiceEntry, ItemTextHasFiveTabTerminatedFieldsAndSplitsBackExactly) {
    const ServiceEntry e = Entry("Spooler", "印刷スプーラー", "\"C:\\x y\\sv.exe\" -k", "不明", "");
    const std::string item = MakeServiceItem(e);
    EXPECT_EQ(item, "Spooler\t印刷スプーラー\t\"C:\\x y\\sv.exe\" -k\t不明\t\t");

    ServiceEntry back;
    back.serviceType = 0x20;
    SplitServiceItem(item, back);
    EXPECT_EQ(back.serviceName, "Spooler");
    EXPECT_EQ(back.displayName, "印刷スプーラー");
    EXPECT_EQ(back.executablePath, "\"C:\\x y\\sv.exe\" -k");
    EXPECT_EQ(back.company, "不明");
    EXPECT_EQ(back.description, "");
    EXPECT_EQ(back.serviceType, 0x20u) << "splitting leaves the service type alone";
}

TEST(ServiceEntry, UnopenedKeyGivesNameAndFiveTabsAndFourEmptyFields) {
    const std::string item = MakeServiceItem(Entry("Ghost", "", "", "", ""));
    EXPECT_EQ(item, "Ghost\t\t\t\t\t");
    ServiceEntry back = Entry("x", "x", "x", "x", "x");
    SplitServiceItem(item, back);
    EXPECT_EQ(back.serviceName, "Ghost");
    EXPECT_TRUE(back.displayName.empty() && back.executablePath.empty() && back.company.empty() &&
                back.description.empty());
}

TEST(ServiceEntry, FieldHoldingALineBreakShiftsTheLaterFields) {
    ServiceEntry back;
    SplitServiceItem(MakeServiceItem(Entry("a", "b\rc", "p", "co", "de")), back);
    EXPECT_EQ(back.displayName, "b");
    EXPECT_EQ(back.executablePath, "c");
    EXPECT_EQ(back.company, "p");
    EXPECT_EQ(back.description, "co");
}

TEST(ServiceEntry, DisplayTextHasThreeLinesEvenWhenCompanyAndDescriptionAreEmpty) {
    EXPECT_EQ(MakeServiceDisplayText(Entry("Svc", "表示", "ignored", "", "")),
              "[ Svc ] 表示\r\n　　会社：\r\n　　説明：");
    // The ideographic space and the full-width colon in code page 932.
    EXPECT_EQ(std::string("　："), "\x81\x40\x81\x46");
    EXPECT_EQ(MakeServiceDisplayText(Entry("S", "D", "p", "C", "E")), "[ S ] D\r\n　　会社：C\r\n　　説明：E");
}

}  // namespace
}  // namespace rondel
