// Product information from an executable's version resource.
#include <array>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/WexFunc.h"

namespace rondel {

namespace {

// The string-table keys, in the order of the record's fields.
constexpr std::array<const char*, 8> kKeys = {
    "CompanyName",    "FileDescription",  "FileVersion", "InternalName",
    "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion",
};
constexpr std::size_t kProductVersionKey = 7;

// The table the second pass falls back to: U.S. English, Windows Latin-1.
constexpr const char* kFallbackPrefix = "\\StringFileInfo\\040904E4\\";

std::string* FieldOf(TWexProductInfo& info, std::size_t key) {
    std::string* const fields[] = {&info.CompanyName,  &info.FileDescription, &info.FileVersion,
                                   &info.InternalName, &info.LegalCopyright,  &info.OriginalFilename,
                                   &info.ProductName,  &info.ProductVersion};
    return fields[key];
}

// "\StringFileInfo\LLLLCCCC\": language (low word) first, then the code page (high word).
std::string TablePrefix(uint32_t translation) {
    char prefix[32];
    std::snprintf(prefix, sizeof prefix, "\\StringFileInfo\\%04X%04X\\",
                  translation & 0xFFFFu, translation >> 16);
    return prefix;
}

// Reads the eight keys of one table; 0 when any of them exists, even with an empty value.
int ReadTable(platform::IVersionInfo& versions, const std::vector<uint8_t>& block,
              const std::string& prefix, TWexProductInfo& info) {
    int result = -1;
    for (std::size_t key = 0; key < kKeys.size(); ++key) {
        const std::optional<std::string> value = versions.QueryString(block, prefix + kKeys[key]);
        if (!value) continue;
        *FieldOf(info, key) = *value;
        if (key == kProductVersionKey) info.ShortVersion = ShortVersion(*value);
        result = 0;
    }
    return result;
}

}  // namespace

void ClearProductInfo(TWexProductInfo& info) { info = TWexProductInfo{}; }

std::string ShortVersion(const std::string& productVersion) {
    const std::size_t first = productVersion.find('.');
    if (first == std::string::npos) return {};
    const std::size_t second = productVersion.find('.', first + 1);
    if (second == std::string::npos) return {};
    return productVersion.substr(0, second);
}

int GetProductInfo(platform::Platform& system, const std::string& fileName, TWexProductInfo& info) {
    ClearProductInfo(info);  // nothing of a previous file may survive
    if (!system.files.FileExists(fileName)) return -1;

    // The vector releases the block on every way out.
    const std::vector<uint8_t> block = system.versions.VersionBlock(fileName);
    if (block.empty()) return -1;

    const auto translations = system.versions.QueryTranslations(block);
    // An empty list names no table at all: treat it like a missing one.
    if (!translations || translations->empty()) return -1;

    // Only the first translation is tried; the fixed table only when that gave nothing.
    int result = ReadTable(system.versions, block, TablePrefix(translations->front()), info);
    if (result != 0) result = ReadTable(system.versions, block, kFallbackPrefix, info);
    return result;
}

}  // namespace rondel
