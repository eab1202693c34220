// A list-item text, as anything may hand one over: split into five fields that hold no TAB or
// line break; made again and split again it gives the same five fields; a well-formed item
// (five TAB-terminated fields, no line breaks) is made again byte for byte; the display text
// of any entry has its three lines.
#include <algorithm>
#include <string>

#include "FuzzSupport.h"
#include "catalogue/ServiceEntry.h"
#include "text/StringList.h"

namespace {

using rondel::ServiceEntry;

bool SameFields(const ServiceEntry& a, const ServiceEntry& b) {
    return a.serviceName == b.serviceName && a.displayName == b.displayName &&
           a.executablePath == b.executablePath && a.company == b.company && a.description == b.description;
}

bool IsWellFormed(const std::string& item) {
    return std::count(item.begin(), item.end(), '\t') == 5 && !item.empty() && item.back() == '\t' &&
           item.find_first_of("\r\n") == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string item = rondel::fuzz::Text(data, size);

    ServiceEntry entry;
    entry.serviceType = 0x20;
    rondel::SplitServiceItem(item, entry);
    FUZZ_CHECK(entry.serviceType == 0x20);
    for (const std::string* field : {&entry.serviceName, &entry.displayName, &entry.executablePath, &entry.company,
                                     &entry.description})
        FUZZ_CHECK(!rondel::fuzz::HasTabOrLineBreak(*field));

    const std::string made = rondel::MakeServiceItem(entry);
    ServiceEntry back;
    rondel::SplitServiceItem(made, back);
    FUZZ_CHECK(SameFields(back, entry));
    if (IsWellFormed(item)) FUZZ_CHECK(made == item);

    const std::string display = rondel::MakeServiceDisplayText(entry);
    FUZZ_CHECK(display.compare(0, entry.serviceName.size() + 2, "[ " + entry.serviceName) == 0);
    FUZZ_CHECK(rondel::SplitTextLines(display).size() == 3);
    // The program's literals are code-page-932 bytes in this build too ("\r\n　　会社：").
    FUZZ_CHECK(display.find("\r\n\x81\x40\x81\x40\x89\xEF\x8E\xD0\x81\x46") != std::string::npos);
    return 0;
}
