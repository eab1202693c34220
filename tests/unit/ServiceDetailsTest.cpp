#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "FakePlatform.h"
#include "catalogue/RegistryKey.h"
#include "catalogue/ServiceDetails.h"

namespace rondel {
namespace {

using fake::FakeFile;
using fake::FakeMachine;
using fake::FakeVersionInfo;
using namespace platform;

FakeFile Executable(const std::string& company, const std::string& description, const std::string& icon = "") {
    FakeVersionInfo version;
    version.tables["041104B0"] = {{"CompanyName", company}, {"FileDescription", description}};
    FakeFile file;
    file.version = version;
    if (!icon.empty()) file.icon = icon;
    return file;
}

class ServiceDetailsTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(machine.registry.OpenHandles(), 0) << "every key is closed again";
        EXPECT_EQ(machine.services.OpenHandles(), 0);
    }

    ServiceEntry Read(const std::string& name) {
        ServiceEntry entry;
        entry.serviceName = name;
        ReadServiceInfo(system, entry);
        return entry;
    }
    std::string IconPicture(const ServiceEntry& entry) {
        IconHandle icon;
        LoadServiceIcon(system, entry, icon);
        return machine.shell.PictureOf(icon.get());
    }
    bool Asked(const std::string& path) const {
        const auto& q = machine.files.existsQueries;
        return std::find(q.begin(), q.end(), path) != q.end();
    }

    FakeMachine machine;
    Platform system = machine.Platform();
};

TEST_F(ServiceDetailsTest, RelativeImagePathWithoutExtensionResolvesUnderTheWindowsDirectory) {
    machine.files.AddFile("C:\\WINDOWS\\system32\\svchost.exe", Executable("Microsoft Corporation", "ホスト プロセス", "svchost"));
    machine.AddService("RpcSs", "リモート プロシージャ コール", "system32\\svchost -k rpcss", kServiceRunning, 0x20);

    const ServiceEntry e = Read("RpcSs");
    EXPECT_EQ(e.displayName, "リモート プロシージャ コール");
    EXPECT_EQ(e.serviceType, 0x20u);
    EXPECT_EQ(e.executablePath, "system32\\svchost -k rpcss") << "the stored value, never the resolved path";
    EXPECT_EQ(e.company, "Microsoft Corporation");
    EXPECT_EQ(e.description, "ホスト プロセス");
    EXPECT_TRUE(Asked("system32\\svchost.exe"));
    EXPECT_EQ(IconPicture(e), "svchost");
}

TEST_F(ServiceDetailsTest, QuotedAndSystemRootPathsResolveAtTheFirstStepOfBothRules) {
    machine.files.AddFile("C:\\Program Files\\Foo App\\foo.exe", Executable("Foo", "Foo サービス", "foo"));
    machine.files.AddFile("C:\\WINDOWS\\system32\\svchost.exe", Executable("MS", "Host", "svchost"));
    machine.AddService("Foo", "Foo", "\"C:\\Program Files\\Foo App\\foo.exe\" -service");
    machine.AddService("Net", "Net", "%SystemRoot%\\system32\\svchost.exe -k netsvcs");

    EXPECT_EQ(Read("Foo").description, "Foo サービス");
    EXPECT_EQ(IconPicture(Read("Foo")), "foo");

    machine.files.existsQueries.clear();
    const ServiceEntry net = Read("Net");
    EXPECT_EQ(net.company, "MS");
    EXPECT_EQ(machine.files.existsQueries.front(), "C:\\WINDOWS\\system32\\svchost.exe");
    EXPECT_EQ(IconPicture(net), "svchost");
}

TEST_F(ServiceDetailsTest, SystemRootDriverPathResolvesForDetailsButGivesNoIcon) {
    machine.files.AddFile("C:\\WINDOWS\\System32\\drivers\\xyz.sys", Executable("Drivers Inc.", "XYZ ドライバ", "xyz"));
    machine.AddService("xyz", "XYZ", "\\SystemRoot\\System32\\drivers\\xyz.sys", kServiceRunning, kServiceKernelDriver);
    machine.AddService("lower", "lower", "\\systemroot\\System32\\drivers\\xyz.sys");

    const ServiceEntry e = Read("xyz");
    EXPECT_EQ(e.description, "XYZ ドライバ");
    EXPECT_EQ(e.serviceType, 1u);
    EXPECT_EQ(IconPicture(e), "") << "the icon rule appends .exe to the driver's name and finds nothing";
    EXPECT_TRUE(machine.shell.associatedIconQueries.empty());

    // The prefix is only dropped in its own letter case.
    const ServiceEntry lower = Read("lower");
    EXPECT_EQ(lower.company, "不明");
    EXPECT_EQ(lower.description, "実行ファイルが見つかりません");
}

TEST_F(ServiceDetailsTest, ExeIsAppendedOnlyWithoutExtensionForDetailsButWheneverMissingForTheIcon) {
    machine.AddService("dll", "dll", "foo.dll");
    machine.files.AddFile("C:\\work\\foo.dll.exe", FakeFile{std::nullopt, std::string("dllexe")});

    const ServiceEntry e = Read("dll");
    EXPECT_FALSE(Asked("foo.dll.exe"));
    EXPECT_EQ(e.description, "実行ファイルが見つかりません");
    EXPECT_EQ(IconPicture(e), "dllexe") << "the icon rule looks for foo.dll.exe";
}

TEST_F(ServiceDetailsTest, FilesWithoutVersionStringsAndMissingValuesGiveUnknown) {
    machine.files.AddFile("C:\\bin\\plain.exe");  // no version resource
    FakeFile partial = Executable("", "説明だけ");
    machine.files.AddFile("C:\\bin\\partial.exe", partial);
    machine.AddService("plain", "plain", "C:\\bin\\plain.exe");
    machine.AddService("partial", "partial", "C:\\bin\\partial.exe");
    machine.AddService("bare", "unused", "unused");
    machine.registry.DeleteValue(FakeMachine::ServiceKey("bare"), "DisplayName");
    machine.registry.DeleteValue(FakeMachine::ServiceKey("bare"), "ImagePath");

    const ServiceEntry plain = Read("plain");
    EXPECT_EQ(plain.company, "不明");
    EXPECT_EQ(plain.description, "不明");
    const ServiceEntry part = Read("partial");
    EXPECT_EQ(part.company, "不明");
    EXPECT_EQ(part.description, "説明だけ");
    const ServiceEntry bare = Read("bare");
    EXPECT_EQ(bare.displayName, "");
    EXPECT_EQ(bare.executablePath, "");
    EXPECT_EQ(bare.company, "不明");
    EXPECT_EQ(bare.description, "実行ファイルが見つかりません");
    EXPECT_EQ(IconPicture(bare), "");
}

TEST_F(ServiceDetailsTest, KeyThatDoesNotOpenForReadingLeavesTheEntryEmpty) {
    machine.AddService("locked", "鍵付き", "C:\\x.exe");
    machine.registry.LimitAccess(FakeMachine::ServiceKey("locked"), kKeyQueryValue);
    ServiceEntry e;
    e.serviceName = "locked";
    e.displayName = e.company = e.description = e.executablePath = "old";
    e.serviceType = 7;
    ReadServiceInfo(system, e);
    EXPECT_EQ(e.serviceName, "locked");
    EXPECT_TRUE(e.displayName.empty() && e.executablePath.empty() && e.company.empty() && e.description.empty());
    EXPECT_EQ(e.serviceType, 0u);
    EXPECT_EQ(Read("no-such-service").serviceType, 0u);
}

TEST_F(ServiceDetailsTest, RegistryValuesOfTheWrongKindRaiseTheProgramsTextsAndKeepWhatWasRead) {
    const std::string key = FakeMachine::ServiceKey("odd");
    machine.AddService("odd", "変な値", "C:\\x.exe");

    machine.registry.DeleteValue(key, "Type");
    ServiceEntry e;
    e.serviceName = "odd";
    try {
        ReadServiceInfo(system, e);
        FAIL() << "a missing Type is an error";
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "'Type' の取得に失敗しました");
    }
    EXPECT_EQ(e.displayName, "変な値") << "read before the error";
    EXPECT_EQ(e.executablePath, "");

    machine.registry.SetString(key, "Type", "16");
    EXPECT_THROW(ReadServiceInfo(system, e), RegistryError);
    machine.registry.SetValue(key, "Type", kRegQword, std::vector<uint8_t>(8, 0));
    try {
        ReadServiceInfo(system, e);
        FAIL();
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "'Type' のデータ型が不正です");
    }

    machine.registry.SetDword(key, "Type", 0x10);
    machine.registry.SetValue(key, "ImagePath", kRegBinary, {1, 2, 3});
    try {
        ReadServiceInfo(system, e);
        FAIL();
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "'ImagePath' のデータ型が不正です");
    }
    EXPECT_EQ(e.serviceType, 0x10u);

    machine.registry.SetDword(key, "DisplayName", 5);
    try {
        ReadServiceInfo(system, e);
        FAIL();
    } catch (const RegistryError& error) {
        EXPECT_STREQ(error.what(), "'DisplayName' のデータ型が不正です");
    }
}

TEST_F(ServiceDetailsTest, LongImagePathsAreKeptUpTo259Characters) {
    const std::string exact = "C:\\" + std::string(252, 'a') + ".exe";  // 259 characters
    ASSERT_EQ(exact.size(), 259u);
    machine.AddService("exact", "exact", exact);
    EXPECT_EQ(Read("exact").executablePath, exact);

    // 300 characters, with a double-byte character across the 259th byte: cut before it.
    const std::string longer = "C:\\" + std::string(255, 'b') + "サービス" + std::string(34, 'c');
    machine.AddService("long", "long", longer);
    const ServiceEntry e = Read("long");
    EXPECT_EQ(e.executablePath, longer.substr(0, 258));
    EXPECT_EQ(e.description, "実行ファイルが見つかりません");
    EXPECT_EQ(IconPicture(e), "");
}

TEST_F(ServiceDetailsTest, IndirectDisplayNamesShowTheStringTheyReference) {
    machine.shell.indirectStrings["@%SystemRoot%\\system32\\audiosrv.dll,-204"] = "Windows オーディオ";
    machine.AddService("Audiosrv", "@%SystemRoot%\\system32\\audiosrv.dll,-204", "x");
    machine.AddService("Broken", "@C:\\missing.dll,-1", "x");
    machine.AddService("Mail", "@のようなメール", "x");  // not a reference the shell knows

    EXPECT_EQ(Read("Audiosrv").displayName, "Windows オーディオ");
    EXPECT_EQ(Read("Broken").displayName, "@C:\\missing.dll,-1") << "unresolvable: the stored text stays";
    EXPECT_EQ(Read("Mail").displayName, "@のようなメール");
    EXPECT_EQ(ResolveIndirectString(machine.shell, ""), "");
}

}  // namespace
}  // namespace rondel
