#include <gtest/gtest.h>
#include <iconv.h>

#include <string>
#include <vector>

#include "FakePlatform.h"
#include "catalogue/CatalogueCsv.h"
#include "text/AnsiText.h"

namespace rondel {
namespace {

using fake::FakeFile;
using fake::FakeMachine;
using fake::FakeVersionInfo;
using namespace platform;

// The host's converter (glibc's, the one g++ makes the program's literals with).
std::string HostUtf8(const std::string& cp932) {
    iconv_t cd = iconv_open("UTF-8", "CP932");
    std::string in = cp932;
    std::string out(in.size() * 3 + 1, '\0');
    char* from = in.data();
    char* to = out.data();
    std::size_t left = in.size(), room = out.size();
    const std::size_t converted = iconv(cd, &from, &left, &to, &room);
    iconv_close(cd);
    EXPECT_NE(converted, static_cast<std::size_t>(-1)) << cp932;
    out.resize(out.size() - room);
    return out;
}

// Source text as UTF-8 bytes: u8 literals are not turned into code page 932.
std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

TEST(CsvField, QuotesFieldsHoldingQuoteCommaCrOrLfAndDoublesTheirQuotes) {
    const struct {
        std::string text;
        std::string field;
    } cases[] = {
        {"", ""},
        {"plain text", "plain text"},
        {"a,b", "\"a,b\""},
        {"\"C:\\a b\\x.exe\" -k", "\"\"\"C:\\a b\\x.exe\"\" -k\""},
        {"one\rtwo", "\"one\rtwo\""},
        {"one\ntwo", "\"one\ntwo\""},
        {"one\r\ntwo", "\"one\r\ntwo\""},
        {U8(u8"試験、です"), U8(u8"試験、です")},
    };
    for (const auto& c : cases) EXPECT_EQ(CsvField(c.text), c.field) << c.text;
    EXPECT_EQ(CsvRecord({"0", "a,b", "", "x"}), "0,\"a,b\",,x\r\n");
}

// Widens each byte as it stands; refuses a run holding 0x85 0x40, as the system's an undefined code.
std::optional<std::wstring> Widen(std::string_view run) {
    if (run.find("\x85\x40") != std::string_view::npos) return std::nullopt;
    std::wstring wide;
    for (const char c : run) wide += static_cast<unsigned char>(c);
    return wide;
}

TEST(DecodeCodePage932, BytesThatBeginNoCharacterAndRefusedCharactersBecomeTheReplacementCharacter) {
    const struct {
        std::string bytes;
        std::wstring text;  // each byte widened, U+FFFD
    } cases[] = {
        {"a\xB1\xDF\x81\x40\x9F\xFC\xE0\x7E", L"a\xB1\xDF\x81\x40\x9F\xFC\xE0\x7E"},  // single and double bytes
        {"\x80\xA0\xFD\xFE\xFF" "a\x82", L"\xFFFD\xFFFD\xFFFD\xFFFD\xFFFD" L"a\xFFFD"},  // a lead byte at the end too
        {"\x81 \x81\x7F\x81\xFD", L"\xFFFD \xFFFD\x7F\xFFFD\xFFFD"},  // before a byte that is no trail byte
        {"x\x85\x40y\x82\xA0", L"x\xFFFDy\x82\xA0"},    // refused: the rest of the run still converted
    };
    for (const auto& c : cases) EXPECT_EQ(DecodeCodePage932(c.bytes, Widen), c.text) << ::testing::PrintToString(c.bytes);
}

class CatalogueCsvTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(machine.registry.OpenHandles(), 0);
        EXPECT_EQ(machine.services.OpenHandles(), 0);
    }

    FakeMachine machine;
    Platform system = machine.Platform();
    ServiceCatalogue catalogue{system};
    IconHandle defaultIcon = machine.shell.MakeIcon("default");
};

TEST_F(CatalogueCsvTest, HeaderThenTheListingsServicesInUtf8WithStartTypesAndRegistryErrorsListed) {
    FakeVersionInfo version;
    version.tables["041104B0"] = {{"CompanyName", "ロンデル試験株式会社"}, {"FileDescription", "試験用, \"引用\""}};
    machine.files.AddFile("C:\\Program Files\\Rondel Test\\svc.exe", FakeFile{version, std::nullopt});
    machine.AddService("Auto", "自動の試験", "\"C:\\Program Files\\Rondel Test\\svc.exe\" -k a,b", kServiceRunning);
    machine.AddService("Demand", "手動, 一時停止", "x", kServicePaused);
    machine.AddService("Disabled", "無効", "x");
    machine.AddService("Boot", "ブート", "x");
    machine.AddService("BadStart", "不正な Start", "x");
    machine.registry.SetDword(FakeMachine::ServiceKey("Auto"), "Start", kServiceAutoStart);
    machine.registry.SetDword(FakeMachine::ServiceKey("Disabled"), "Start", kServiceDisabled);
    machine.registry.SetDword(FakeMachine::ServiceKey("Boot"), "Start", kServiceBootStart);
    machine.registry.SetString(FakeMachine::ServiceKey("BadStart"), "Start", "2");
    machine.AddService("Gone", "鍵なし", "x");
    ASSERT_TRUE(catalogue.BuildServiceLists(defaultIcon.get()).Complete());
    machine.registry.DeleteKey(FakeMachine::ServiceKey("Gone"));

    std::vector<ServiceReadError> errors;
    const std::string csv = FormatCatalogueCsv(system, catalogue, HostUtf8, errors);
    EXPECT_EQ(csv, U8(u8"tab,service name,display name,image path,company,description,start type\r\n"
                      u8"0,Auto,自動の試験,\"\"\"C:\\Program Files\\Rondel Test\\svc.exe\"\" -k a,b\","
                      u8"ロンデル試験株式会社,\"試験用, \"\"引用\"\"\",自動\r\n"
                      u8"1,Demand,\"手動, 一時停止\",x,不明,実行ファイルが見つかりません,手動\r\n"
                      u8"2,Boot,ブート,x,不明,実行ファイルが見つかりません,無効\r\n"
                      u8"2,Gone,鍵なし,x,不明,実行ファイルが見つかりません,\r\n"
                      u8"2,BadStart,不正な Start,x,不明,実行ファイルが見つかりません,\r\n"
                      u8"2,Disabled,無効,x,不明,実行ファイルが見つかりません,無効\r\n"));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].serviceName, "BadStart");
}

}  // namespace
}  // namespace rondel
