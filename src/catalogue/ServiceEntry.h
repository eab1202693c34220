// A service as the program carries it: the entry record and its two texts.
//
// The state lists and dependency lists store list-item texts and, beside each, the entry its text
// reads back as (SplitServiceItem), split once where the item is made.
#pragma once

#include <cstdint>
#include <string>

namespace rondel {

struct ServiceEntry {
    std::string serviceName;     // the SCM's key name, also the registry key's name
    std::string displayName;     // "DisplayName" of the key
    std::string executablePath;  // "ImagePath" as stored, not resolved
    std::string company;         // "CompanyName" of the executable, or "不明"
    std::string description;     // "FileDescription", "不明" or "実行ファイルが見つかりません"
    uint32_t serviceType = 0;    // "Type" as read for the list (0 when it could not be read)
    bool operator==(const ServiceEntry&) const = default;
};

// The five strings, each followed by a TAB: "%s\t%s\t%s\t%s\t%s\t".
std::string MakeServiceItem(const ServiceEntry& entry);

// Three lines: "[ %s ] %s\r\n　　会社：%s\r\n　　説明：%s".
std::string MakeServiceDisplayText(const ServiceEntry& entry);

// Fills fields 1 to 5 of entry from a list-item text; the service type is left as it was.
void SplitServiceItem(const std::string& item, ServiceEntry& entry);

}  // namespace rondel
