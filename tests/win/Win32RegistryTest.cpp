// The registry side of the seam against Wine's registry, on the keys of test services.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "TestService.h"
#include "platform/Win32Platform.h"

namespace {

using namespace rondel::platform;
using rondel::fixtures::ServiceKeyPath;
using rondel::fixtures::ServiceDefinition;
using rondel::fixtures::TestService;

std::string Text(const RegistryData& data) { return std::string(data.bytes.begin(), data.bytes.end()); }

std::vector<uint8_t> Bytes(const std::string& text) { return std::vector<uint8_t>(text.begin(), text.end()); }

std::string WithNul(const std::string& text) { return text + std::string(1, '\0'); }

TEST(Win32Registry, TheValuesTheManagerWritesForAService) {
    TestService service(ServiceDefinition("RondelT_RegKey").Display("レジストリ試験サービス").Arguments("--no-pause"));
    ASSERT_EQ(service.CreateError(), 0u);
    Win32Registry registry;
    uint32_t error = 1;
    RegistryKeyHandle key = registry.OpenKey(kHkeyLocalMachine, ServiceKeyPath("RondelT_RegKey"), kKeyAllAccess, error);
    ASSERT_EQ(error, 0u);
    ASSERT_TRUE(key);

    RegistryData data;
    ASSERT_EQ(registry.QueryValue(key.get(), "DisplayName", data), 0u);
    EXPECT_EQ(data.type, kRegSz);
    // Code page 932 bytes, the NUL counted: 11 characters of two bytes each.
    EXPECT_EQ(Text(data), WithNul("レジストリ試験サービス"));
    EXPECT_EQ(data.bytes.size(), 23u);

    ASSERT_EQ(registry.QueryValue(key.get(), "Type", data), 0u);
    EXPECT_EQ(data.type, kRegDword);
    EXPECT_EQ(data.bytes, (std::vector<uint8_t>{0x10, 0, 0, 0}));

    ASSERT_EQ(registry.QueryValue(key.get(), "Start", data), 0u);
    EXPECT_EQ(data.bytes, (std::vector<uint8_t>{3, 0, 0, 0}));

    // Wine stores the image path as REG_SZ (Windows: REG_EXPAND_SZ), exactly as given.
    ASSERT_EQ(registry.QueryValue(key.get(), "ImagePath", data), 0u);
    EXPECT_EQ(data.type, kRegSz);
    EXPECT_EQ(Text(data), WithNul(service.Definition().imagePath));

    EXPECT_EQ(registry.QueryValue(key.get(), "Description", data), kErrorFileNotFound);
    EXPECT_EQ(registry.QueryValue(key.get(), "DependOnService", data), kErrorFileNotFound);
}

TEST(Win32Registry, ValuesComeBackWithTheirTypeAndExactSize) {
    TestService service(ServiceDefinition("RondelT_RegTypes"));
    ASSERT_EQ(service.CreateError(), 0u);
    const std::string japanese = "不明";  // 4 bytes in code page 932
    ASSERT_EQ(service.SetString("Description", japanese), 0);
    ASSERT_EQ(service.SetValue("Unterminated", REG_SZ, japanese.data(), 4), 0);
    ASSERT_EQ(service.SetValue("EmptyString", REG_SZ, "", 0), 0);
    ASSERT_EQ(service.SetString("Expandable", "%SystemRoot%\\system32\\x.exe", REG_EXPAND_SZ), 0);
    ASSERT_EQ(service.SetMultiString("Several", {"一", "二"}), 0);
    ASSERT_EQ(service.SetValue("Short", REG_DWORD, "\x10\x00\x00", 3), 0);
    ASSERT_EQ(service.SetValue("Binary", REG_BINARY, "abc", 3), 0);
    ASSERT_EQ(service.SetValue("Nothing", REG_NONE, nullptr, 0), 0);
    const unsigned long long wide = 0x1122334455667788ull;
    ASSERT_EQ(service.SetValue("Wide", REG_QWORD, &wide, sizeof wide), 0);
    const std::string longPath = "C:\\" + std::string(300, 'a') + ".exe";
    ASSERT_EQ(service.SetString("LongPath", longPath), 0);
    std::vector<uint8_t> large(100000);
    for (std::size_t i = 0; i < large.size(); ++i) large[i] = static_cast<uint8_t>(i * 7);
    ASSERT_EQ(service.SetValue("Large", REG_BINARY, large.data(), static_cast<DWORD>(large.size())), 0);
    // The catalogue's "Type" read must cope with a string where a number belongs.
    ASSERT_EQ(service.SetString("Type", "16"), 0);

    Win32Registry registry;
    uint32_t error = 1;
    RegistryKeyHandle key = registry.OpenKey(kHkeyLocalMachine, ServiceKeyPath("RondelT_RegTypes"), kKeyRead, error);
    ASSERT_EQ(error, 0u);
    RegistryData data;

    ASSERT_EQ(registry.QueryValue(key.get(), "Description", data), 0u);
    EXPECT_EQ(data.type, kRegSz);
    EXPECT_EQ(Text(data), WithNul(japanese));
    // Stored without its NUL: Wine hands it back with one.
    ASSERT_EQ(registry.QueryValue(key.get(), "Unterminated", data), 0u);
    EXPECT_EQ(Text(data), WithNul(japanese));
    ASSERT_EQ(registry.QueryValue(key.get(), "EmptyString", data), 0u);
    EXPECT_EQ(data.type, kRegSz);
    EXPECT_TRUE(data.bytes.empty());
    ASSERT_EQ(registry.QueryValue(key.get(), "Expandable", data), 0u);
    EXPECT_EQ(data.type, kRegExpandSz);
    EXPECT_EQ(Text(data), WithNul("%SystemRoot%\\system32\\x.exe"));
    ASSERT_EQ(registry.QueryValue(key.get(), "Several", data), 0u);
    EXPECT_EQ(data.type, kRegMultiSz);
    EXPECT_EQ(Text(data), std::string("一\0二\0\0", 7));
    ASSERT_EQ(registry.QueryValue(key.get(), "Short", data), 0u);
    EXPECT_EQ(data.type, kRegDword);
    EXPECT_EQ(data.bytes.size(), 3u);
    ASSERT_EQ(registry.QueryValue(key.get(), "Binary", data), 0u);
    EXPECT_EQ(data.type, kRegBinary);
    EXPECT_EQ(data.bytes, Bytes("abc"));
    ASSERT_EQ(registry.QueryValue(key.get(), "Nothing", data), 0u);
    EXPECT_EQ(data.type, kRegNone);
    EXPECT_TRUE(data.bytes.empty());
    ASSERT_EQ(registry.QueryValue(key.get(), "Wide", data), 0u);
    EXPECT_EQ(data.type, kRegQword);
    ASSERT_EQ(data.bytes.size(), 8u);
    EXPECT_EQ(data.bytes[0], 0x88);
    ASSERT_EQ(registry.QueryValue(key.get(), "LongPath", data), 0u);
    EXPECT_EQ(Text(data), WithNul(longPath));
    ASSERT_EQ(registry.QueryValue(key.get(), "Large", data), 0u);
    EXPECT_EQ(data.bytes, large);
    ASSERT_EQ(registry.QueryValue(key.get(), "Type", data), 0u);
    EXPECT_EQ(data.type, kRegSz);
    EXPECT_EQ(Text(data), WithNul("16"));

    EXPECT_EQ(registry.QueryValue(key.get(), "NoSuchValue", data), kErrorFileNotFound);
}

TEST(Win32Registry, OpeningKeysAndWhatTheirAccessAllows) {
    TestService service(ServiceDefinition("RondelT_RegAccess"));
    ASSERT_EQ(service.CreateError(), 0u);
    Win32Registry registry;
    uint32_t error = 0;

    // No refusal for the administrator Wine runs as, on any existing key.
    for (const char* path : {"SYSTEM", "SYSTEM\\CurrentControlSet\\Services", "SOFTWARE\\Microsoft\\Windows\\CurrentVersion"}) {
        RegistryKeyHandle key = registry.OpenKey(kHkeyLocalMachine, path, kKeyAllAccess, error);
        EXPECT_EQ(error, 0u) << path;
        EXPECT_TRUE(key) << path;
    }
    EXPECT_FALSE(registry.OpenKey(kHkeyLocalMachine, ServiceKeyPath("RondelT_NoSuchService"), kKeyAllAccess, error));
    EXPECT_EQ(error, kErrorFileNotFound);
    // The seam takes paths without the leading backslash the program writes them with.
    EXPECT_FALSE(registry.OpenKey(kHkeyLocalMachine, "\\SYSTEM\\CurrentControlSet\\Services", kKeyRead, error));
    EXPECT_EQ(error, static_cast<uint32_t>(ERROR_BAD_PATHNAME));

    // A key opened for reading refuses a write; one opened with full access takes it.
    const uint8_t automatic[4] = {2, 0, 0, 0};
    {
        RegistryKeyHandle key = registry.OpenKey(kHkeyLocalMachine, ServiceKeyPath("RondelT_RegAccess"), kKeyRead, error);
        ASSERT_TRUE(key);
        EXPECT_EQ(registry.SetValue(key.get(), "Start", kRegDword, automatic), kErrorAccessDenied);
    }
    RegistryKeyHandle key = registry.OpenKey(kHkeyLocalMachine, ServiceKeyPath("RondelT_RegAccess"), kKeyAllAccess, error);
    ASSERT_TRUE(key);
    EXPECT_EQ(registry.SetValue(key.get(), "Start", kRegDword, automatic), 0u);
    RegistryData data;
    ASSERT_EQ(registry.QueryValue(key.get(), "Start", data), 0u);
    EXPECT_EQ(data.type, kRegDword);
    EXPECT_EQ(data.bytes, (std::vector<uint8_t>(automatic, automatic + 4)));
    EXPECT_EQ(registry.QueryValue(0, "Start", data), kErrorInvalidHandle);
}

// The manager refuses a second service with a display name in use (1078); the value in the
// key can be made equal afterwards, and the manager's own copy keeps the old one.
TEST(Win32Registry, EqualDisplayNamesReachTheRegistryOnly) {
    TestService first(ServiceDefinition("RondelT_SameA").Display("同じ表示名"));
    ASSERT_EQ(first.CreateError(), 0u);
    {
        TestService clash(ServiceDefinition("RondelT_SameB").Display("同じ表示名"));
        EXPECT_EQ(clash.CreateError(), static_cast<DWORD>(ERROR_DUPLICATE_SERVICE_NAME));
    }
    TestService second(ServiceDefinition("RondelT_SameC").Display("別の表示名"));
    ASSERT_EQ(second.CreateError(), 0u);
    ASSERT_EQ(second.SetString("DisplayName", "同じ表示名"), 0);

    Win32Registry registry;
    uint32_t error = 0;
    RegistryData data;
    RegistryKeyHandle key = registry.OpenKey(kHkeyLocalMachine, ServiceKeyPath("RondelT_SameC"), kKeyRead, error);
    ASSERT_EQ(registry.QueryValue(key.get(), "DisplayName", data), 0u);
    EXPECT_EQ(Text(data), WithNul("同じ表示名"));

    Win32ServiceControlManager scm;
    ServiceHandle manager = scm.OpenManager(kScManagerAllAccess, error);
    uint32_t resume = 0;
    ServiceEnumeration all = scm.EnumerateServices(manager.get(), kServiceWin32, kServiceStateAll, 256 * 1024, resume);
    ASSERT_EQ(all.error, 0u);
    bool found = false;
    for (const auto& r : all.records) {
        if (r.serviceName != "RondelT_SameC") continue;
        found = true;
        EXPECT_EQ(r.displayName, "別の表示名");
    }
    EXPECT_TRUE(found);
}

}  // namespace

namespace {

// The services' key watched from one thread, changed from another: a value written and a key
// made are seen, once each; a watch asked again without a change sees none.
TEST(Win32Registry, AWatchOfTheServicesKeySeesValuesAndKeysChangedBelowIt) {
    TestService service(ServiceDefinition("RondelT_Watched").Arguments("--no-pause"));
    ASSERT_EQ(service.CreateError(), 0u);
    Win32Registry registry;
    std::unique_ptr<IKeyWatch> watch;
    std::thread([&] { watch = registry.WatchKey(kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Services"); }).join();
    ASSERT_NE(watch, nullptr);
    EXPECT_FALSE(watch->Changed());
    ASSERT_EQ(service.SetString("DisplayName", "見張られた"), ERROR_SUCCESS);
    EXPECT_TRUE(watch->Changed()) << "a value two keys below";
    EXPECT_FALSE(watch->Changed());
    {
        TestService added(ServiceDefinition("RondelT_WatchedToo").Arguments("--no-pause"));
        ASSERT_EQ(added.CreateError(), 0u);
        EXPECT_TRUE(watch->Changed()) << "a key made";
    }
    EXPECT_TRUE(watch->Changed()) << "a key deleted";
}

}  // namespace
