// Hostile registry values under Wine: service keys holding what the Service Control Manager never
// writes (values of the wrong type or missing, very long, unterminated; image paths with
// double-byte backslashes, unbalanced quotes and odd references). The catalogue, the details and
// the dependencies are read in-process through the Win32 side of the seam, as the windows read
// them: nothing may crash or hang, the odd service is listed with what could be read and its
// error, and the services beside it are listed as ever.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "FixturePaths.h"
#include "HostileSupport.h"
#include "catalogue/RegistryKey.h"
#include "catalogue/ServiceDetails.h"
#include "control/DependencyLookup.h"
#include "control/ServiceState.h"
#include "platform/Win32Platform.h"

namespace {

using namespace rondel;
using namespace rondel::testing;
using rondel::fixtures::TestServiceCommand;

std::string Invalid(const std::string& value) { return RegistryKey::InvalidDataTypeText(value); }
std::string Missing(const std::string& value) { return RegistryKey::GetDataFailedText(value); }

// ---------------------------------------------------------------------------- the cases

// DisplayName, ImagePath and Type of every kind the catalogue must survive.
TEST(HostileRegistry, OddValuesCostTheirServiceOnlyWhatCouldNotBeRead) {
    const std::string command = TestServiceCommand();
    const std::string longName = TextOfLength("長い表示名", 4000, "表示能力ソフト");
    const std::string name259 = TextOfLength("表示名", 259, "能");
    const std::string name260 = TextOfLength("表示名", 258) + "表";
    // Image paths of the test service with arguments: 259 bytes kept; 260 cut before the
    // double-byte character that holds bytes 259 and 260; 4000 cut at 259.
    const std::string path259 = TextOfLength(command + " -", 259);
    const std::string path260 = TextOfLength(command + " -", 258) + "表";
    const std::string path4000 = TextOfLength(TextOfLength(command + " -", 259), 4000, "ソ表能");
    ASSERT_EQ(path260.size(), 260u);
    ASSERT_EQ(path4000.size(), 4000u);

    struct Case {
        std::string label;
        Value value;
        Listed expected;  // a display name "=" is the one the service was registered with
    };
    const std::string same = "=";
    const Case cases[] = {
        {"NameDword", {"DisplayName", REG_DWORD, Dword(5)}, {"", "", "", "", Invalid("DisplayName")}},
        {"NameBinary", {"DisplayName", REG_BINARY, "abc"}, {"", "", "", "", Invalid("DisplayName")}},
        {"NameMulti", {"DisplayName", REG_MULTI_SZ, Multi("一", "二")}, {"", "", "", "", Invalid("DisplayName")}},
        {"NameEmpty", {"DisplayName", REG_SZ, ""}, {"", command, kServiceCompany, kServiceDescription, ""}},
        {"NameNul", {"DisplayName", REG_SZ, Sz("")}, {"", command, kServiceCompany, kServiceDescription, ""}},
        {"Name259", {"DisplayName", REG_SZ, Sz(name259)}, {name259, command, kServiceCompany, kServiceDescription, ""}},
        {"Name260", {"DisplayName", REG_SZ, Sz(name260)}, {name260, command, kServiceCompany, kServiceDescription, ""}},
        {"Name4000", {"DisplayName", REG_EXPAND_SZ, Sz(longName)}, {longName, command, kServiceCompany, kServiceDescription, ""}},
        {"NameNoNul", {"DisplayName", REG_SZ, "終端のない表示名"}, {"終端のない表示名", command, kServiceCompany, kServiceDescription, ""}},
        {"PathDword", {"ImagePath", REG_DWORD, Dword(1)}, {same, "", "", "", Invalid("ImagePath")}},
        {"PathBinary", {"ImagePath", REG_BINARY, command}, {same, "", "", "", Invalid("ImagePath")}},
        {"PathMulti", {"ImagePath", REG_MULTI_SZ, Multi(command, "-x")}, {same, "", "", "", Invalid("ImagePath")}},
        {"PathEmpty", {"ImagePath", REG_SZ, ""}, {same, "", kUnknown, kNotFound, ""}},
        {"Path259", {"ImagePath", REG_SZ, Sz(path259)}, {same, path259, kServiceCompany, kServiceDescription, ""}},
        {"Path260", {"ImagePath", REG_SZ, Sz(path260)}, {same, path260.substr(0, 258), kServiceCompany, kServiceDescription, ""}},
        {"Path4000", {"ImagePath", REG_EXPAND_SZ, Sz(path4000)}, {same, path4000.substr(0, 259), kServiceCompany, kServiceDescription, ""}},
        {"PathNoNul", {"ImagePath", REG_SZ, command}, {same, command, kServiceCompany, kServiceDescription, ""}},
        {"PathNoFile", {"ImagePath", REG_SZ, Sz(TextOfLength("C:\\存在しない\\", 4000, "表"))},
         {same, TextOfLength("C:\\存在しない\\", 259, "表").substr(0, 258), kUnknown, kNotFound, ""}},
        {"TypeSz", {"Type", REG_SZ, Sz("16")}, {same, "", "", "", Invalid("Type")}},
        {"TypeMissing", {"Type", kDeleted, ""}, {same, "", "", "", Missing("Type")}},
        {"TypeQword", {"Type", REG_QWORD, Qword(16)}, {same, "", "", "", Invalid("Type")}},
        {"TypeShort", {"Type", REG_DWORD, std::string("\x10\0\0", 3)}, {same, "", "", "", Invalid("Type")}},
    };

    Services services;
    for (const Case& c : cases) services.Add("RondelT_H" + c.label, {c.value});

    BuiltCatalogue built;
    for (const Case& c : cases) {
        Listed expected = c.expected;
        if (expected.displayName == same) expected.displayName = "試験 H" + c.label;
        ExpectListed(built, "RondelT_H" + c.label, expected);
    }
    ExpectTheRestListed(built);
}

// Image paths reduced to the file by the double-byte-aware rules; what names none shows so.
TEST(HostileRegistry, ImagePathsWithDoubleByteBackslashesQuotesAndReferences) {
    // <temp>\RondelHostile\ソ, 表 and 能 (each ends in a trail byte 0x5C), each with app.exe.
    ScratchDirectory scratch("RondelHostile");
    for (const char* name : {"ソ", "表", "能"}) {
        scratch.Directory(name);
        scratch.Copy(rondel::fixtures::FixturePath("vi_japanese.exe"), std::string(name) + "\\app.exe");
    }
    const std::string& t = scratch.Path();
    const std::string longValue = TextOfLength("C:\\長い値", 300, "表");
    ASSERT_TRUE(SetEnvironmentVariableA("RONDEL_HOSTILE_LONG", longValue.c_str()));
    ASSERT_TRUE(SetEnvironmentVariableA("RONDEL_HOSTILE_DIR", (t + "能").c_str()));
    SetEnvironmentVariableA("RONDEL_HOSTILE_UNSET", nullptr);

    const struct {
        std::string label;
        std::string imagePath;
        bool found;
    } cases[] = {
        // The trail byte of the last argument's character is no directory separator.
        {"So", t + "ソ\\app -k ソ", true},
        {"Hyo", t + "表\\app -k 表", true},
        {"No", t + "能\\app -k 能", true},
        {"SoExt", t + "ソ\\app.exe -k x", true},
        {"HyoQuoted", "\"" + t + "表\\app.exe\" -k \"表\"", true},
        {"NoApostrophes", "'" + t + "能\\app.exe' -k", true},
        {"OpenQuote", "\"" + t + "ソ\\app.exe -k", false},
        {"CloseQuote", t + "表\\app.exe\" -k", false},
        {"Unclosed", "\"" + t + "能\\app.exe\"\"", false},
        {"Blanks", "   ", false},
        {"Percent", "%", false},
        {"Percents", "%%", false},
        {"Unset", "%RONDEL_HOSTILE_UNSET%" + t + "ソ\\app.exe -k", true},
        {"UnsetOnly", "%RONDEL_HOSTILE_UNSET%", false},
        {"TooLong", "%RONDEL_HOSTILE_LONG%" + t + "表\\app.exe", true},
        {"TooLongOnly", "%RONDEL_HOSTILE_LONG%\\app.exe", false},
        {"Variable", "%RONDEL_HOSTILE_DIR%\\app.exe -k", true},
    };

    Services services;
    for (const auto& c : cases) services.Add("RondelT_HP" + c.label, {{"ImagePath", REG_SZ, Sz(c.imagePath)}});

    BuiltCatalogue built;
    for (const auto& c : cases)
        ExpectListed(built, "RondelT_HP" + c.label,
                     {"試験 HP" + c.label, c.imagePath, c.found ? kServiceCompany : kUnknown,
                      c.found ? kJapaneseDescription : kNotFound, ""});
    ExpectTheRestListed(built);
    SetEnvironmentVariableA("RONDEL_HOSTILE_LONG", nullptr);
    SetEnvironmentVariableA("RONDEL_HOSTILE_DIR", nullptr);
}

// The details panel's reads: a Description of another type and a Start missing or of another
// type raise the program's texts; every length is read whole. The catalogue does not read them.
TEST(HostileRegistry, DetailsOfOddDescriptionAndStartValues) {
    const std::string long4000 = TextOfLength("長い説明", 4000, "説明能力ソフト表");
    const std::string text259 = TextOfLength("説明", 259, "ソ");
    const std::string text260 = TextOfLength("説明", 258) + "能";
    const struct {
        std::string label;
        Value value;
        std::string description;
        DWORD start;
        std::string error;
    } cases[] = {
        {"DescDword", {"Description", REG_DWORD, Dword(7)}, "", 0, Invalid("Description")},
        {"DescBinary", {"Description", REG_BINARY, "abc"}, "", 0, Invalid("Description")},
        {"DescMulti", {"Description", REG_MULTI_SZ, Multi("一", "二")}, "", 0, Invalid("Description")},
        {"DescEmpty", {"Description", REG_SZ, ""}, "", SERVICE_DEMAND_START, ""},
        {"Desc259", {"Description", REG_SZ, Sz(text259)}, text259, SERVICE_DEMAND_START, ""},
        {"Desc260", {"Description", REG_SZ, Sz(text260)}, text260, SERVICE_DEMAND_START, ""},
        {"Desc4000", {"Description", REG_EXPAND_SZ, Sz(long4000)}, long4000, SERVICE_DEMAND_START, ""},
        {"DescNoNul", {"Description", REG_SZ, "終端のない説明"}, "終端のない説明", SERVICE_DEMAND_START, ""},
        {"StartMissing", {"Start", kDeleted, ""}, "", 0, Missing("Start")},
        {"StartSz", {"Start", REG_SZ, Sz("3")}, "", 0, Invalid("Start")},
        {"StartQword", {"Start", REG_QWORD, Qword(3)}, "", 0, Invalid("Start")},
        {"StartAuto", {"Start", REG_DWORD, Dword(SERVICE_AUTO_START)}, "", SERVICE_AUTO_START, ""},
    };

    Services services;
    for (const auto& c : cases) services.Add("RondelT_HD" + c.label, {c.value});

    platform::Win32Platform win32;
    platform::Platform system = win32.View();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        std::string error;
        ServiceRegistryDetails details;
        try {
            details = ReadServiceRegistryDetails(system, "RondelT_HD" + c.label);
        } catch (const RegistryError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(details.description, c.description);
        EXPECT_EQ(details.startValue, c.start);
    }

    BuiltCatalogue built;
    for (const auto& c : cases)
        ExpectListed(built, "RondelT_HD" + c.label, {"試験 HD" + c.label, TestServiceCommand(), kServiceCompany, kServiceDescription, ""});
    ExpectTheRestListed(built);
}

// "DependOnService": a string or a number is refused with the program's text; a list of any
// length is read whole, its last name without its NULs ending with the data.
TEST(HostileRegistry, DependenciesOfOddDependOnServiceValues) {
    // 5,000 bytes: a name too long for any key, nineteen of 99 bytes, the canary, the list's NUL.
    std::vector<std::string> hugeNames(1);
    std::string rest;
    for (int k = 0; k < 19; ++k) {
        hugeNames.push_back(TextOfLength("RondelT_HGone" + std::to_string(k) + "_", 99));
        rest += hugeNames.back() + '\0';
    }
    hugeNames.push_back(kCanary);
    rest += kCanary + '\0' + '\0';
    hugeNames[0] = TextOfLength("RondelT_HGone", 5000 - rest.size() - 1, "依存");
    const std::string huge = hugeNames[0] + '\0' + rest;
    ASSERT_EQ(huge.size(), 5000u);

    const struct {
        std::string label;
        Value value;
        std::vector<std::string> listed;  // service names, in the list's order
        std::string error;                // raised by the lookup
        std::vector<std::string> readErrors;
    } cases[] = {
        {"DepSz", {"DependOnService", REG_SZ, Sz(kCanary)}, {}, Invalid("DependOnService"), {}},
        {"DepExpand", {"DependOnService", REG_EXPAND_SZ, Sz(kCanary)}, {}, Invalid("DependOnService"), {}},
        {"DepDword", {"DependOnService", REG_DWORD, Dword(1)}, {}, Invalid("DependOnService"), {}},
        {"DepHuge", {"DependOnService", REG_MULTI_SZ, huge}, {}, "", {}},
        {"DepNoNuls", {"DependOnService", REG_MULTI_SZ, "RondelT_HGoneA" + std::string(1, '\0') + kCanary}, {"RondelT_HGoneA", kCanary}, "", {}},
        {"DepBinary", {"DependOnService", REG_BINARY, std::string("RondelT_HDepBadType\0", 20)}, {"RondelT_HDepBadType"}, "",
         {Invalid("Type")}},
    };

    Services services;
    services.Add("RondelT_HDepBadType", {{"Type", REG_SZ, Sz("16")}});
    for (const auto& c : cases) services.Add("RondelT_H" + c.label, {c.value});

    platform::Win32Platform win32;
    platform::Platform system = win32.View();
    const platform::IconHandle defaultIcon = LoadSystemIcon(system, kDefaultServiceIconIndex);
    const platform::IconHandle driverIcon = LoadSystemIcon(system, kDriverIconIndex);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        StateList list{{}, {}, system.shell.CreateImageList(32, 32)};
        std::vector<ServiceReadError> readErrors;
        std::string error;
        try {
            ListDependencies(system, "RondelT_H" + c.label, list, {driverIcon.get(), defaultIcon.get()}, readErrors);
        } catch (const RegistryError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error);
        EXPECT_EQ(list.images->Count(), static_cast<int>(list.items.size()));
        std::vector<std::string> names;
        ServiceEntry canary;
        for (const ServiceEntry& entry : list.entries) {
            names.push_back(entry.serviceName);
            if (entry.serviceName == kCanary) canary = entry;
        }
        // The names without a key have empty texts and sort before the canary, in their order.
        EXPECT_EQ(names, c.label == "DepHuge" ? hugeNames : c.listed);
        if (!canary.serviceName.empty()) {
            EXPECT_EQ(canary.displayName, kCanaryDisplay);
            EXPECT_EQ(canary.company, kServiceCompany);
        }
        std::vector<std::string> messages;
        for (const ServiceReadError& e : readErrors) messages.push_back(e.message);
        EXPECT_EQ(messages, c.readErrors);
    }

    BuiltCatalogue built;
    ExpectListed(built, "RondelT_HDepBadType", {"試験 HDepBadType", "", "", "", Invalid("Type")});
    for (const auto& c : cases)
        ExpectListed(built, "RondelT_H" + c.label, {"試験 H" + c.label, TestServiceCommand(), kServiceCompany, kServiceDescription, ""});
    ExpectTheRestListed(built);
}

}  // namespace
