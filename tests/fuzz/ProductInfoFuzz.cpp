// GetProductInfo against a version-information double whose translation list and string
// tables come from the input (see FuzzSupport.h for the line format):
//   translations<TAB>LLLLCCCC hex value<TAB>...   none such line: no list; the word alone: empty
//   string<TAB>table<TAB>key<TAB>value[<TAB>times]  a value repeated, up to 256 KB
//   noversion                                      the file has no version resource
// Every field read is one of the values up to its NUL, the short version is the product
// version's start, a failure leaves every field empty, and nothing of a file read before stays.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "catalogue/WexFunc.h"

namespace {

using namespace rondel;

constexpr std::size_t kLargestValue = 256u << 10;

std::vector<const std::string*> Fields(const TWexProductInfo& info) {
    return {&info.CompanyName,      &info.FileDescription, &info.FileVersion,    &info.InternalName,
            &info.LegalCopyright,   &info.OriginalFilename, &info.ProductName,   &info.ProductVersion,
            &info.ShortVersion};
}

bool Same(const TWexProductInfo& a, const TWexProductInfo& b) {
    const auto x = Fields(a);
    const auto y = Fields(b);
    for (std::size_t k = 0; k < x.size(); ++k)
        if (*x[k] != *y[k]) return false;
    return true;
}

std::string Repeated(const std::string& value, uint32_t times) {
    std::string text;
    if (value.empty()) return text;
    for (uint32_t k = 0; k < times && text.size() + value.size() <= kLargestValue; ++k) text += value;
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    fake::FakeMachine machine;
    fake::FakeVersionInfo version;
    version.translations = std::nullopt;
    bool hasVersion = true;
    std::vector<std::string> values;
    for (const auto& directive : fuzz::Directives(data, size)) {
        const std::string& word = directive[0];
        if (word == "translations") {
            version.translations.emplace();
            for (std::size_t k = 1; k < directive.size(); ++k)
                version.translations->push_back(
                    static_cast<uint32_t>(std::strtoul(directive[k].c_str(), nullptr, 16)));
        } else if (word == "string") {
            const uint32_t times = directive.size() > 4 ? fuzz::Number(directive[4]) : 1;
            std::string value = Repeated(fuzz::FieldOf(directive, 3), times);
            values.push_back(value.substr(0, value.find('\0')));
            version.tables[fuzz::FieldOf(directive, 1)][fuzz::FieldOf(directive, 2)] = std::move(value);
        } else if (word == "noversion") {
            hasVersion = false;
        }
    }
    if (hasVersion) machine.files.AddFile("C:\\svc\\app.exe", fake::FakeFile{version, std::nullopt});
    else machine.files.AddFile("C:\\svc\\app.exe");

    fake::FakeVersionInfo full;
    full.translations = std::vector<uint32_t>{0x04B00411};
    for (const char* key : {"CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
                            "OriginalFilename", "ProductName", "ProductVersion"})
        full.tables["041104B0"][key] = "前のファイル 9.8.7";
    machine.files.AddFile("C:\\svc\\full.exe", fake::FakeFile{full, std::nullopt});

    platform::Platform system = machine.Platform();
    TWexProductInfo info;
    const int result = GetProductInfo(system, "C:\\svc\\app.exe", info);
    FUZZ_CHECK(result == 0 || result == -1);
    for (const std::string* field : Fields(info)) {
        FUZZ_CHECK(field->find('\0') == std::string::npos);
        if (result != 0) FUZZ_CHECK(field->empty());
    }
    for (const std::string* field : Fields(info)) {
        if (field == &info.ShortVersion || field->empty()) continue;
        bool found = false;
        for (const std::string& value : values) found = found || value == *field;
        FUZZ_CHECK(found);
    }
    FUZZ_CHECK(info.ProductVersion.compare(0, info.ShortVersion.size(), info.ShortVersion) == 0);
    FUZZ_CHECK(info.ShortVersion.empty() || std::count(info.ShortVersion.begin(), info.ShortVersion.end(), '.') == 1);

    TWexProductInfo again;
    FUZZ_CHECK(GetProductInfo(system, "C:\\svc\\full.exe", again) == 0);
    FUZZ_CHECK(GetProductInfo(system, "C:\\svc\\app.exe", again) == result);
    FUZZ_CHECK(Same(again, info));
    return 0;
}
