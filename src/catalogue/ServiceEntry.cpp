#include "catalogue/ServiceEntry.h"

#include "text/StringList.h"

namespace rondel {

std::string MakeServiceItem(const ServiceEntry& entry) {
    std::string item;
    for (const std::string* field : {&entry.serviceName, &entry.displayName, &entry.executablePath,
                                     &entry.company, &entry.description}) {
        item += *field;
        item += '\t';
    }
    return item;
}

std::string MakeServiceDisplayText(const ServiceEntry& entry) {
    return "[ " + entry.serviceName + " ] " + entry.displayName + "\r\n" +
           "　　会社：" + entry.company + "\r\n" +
           "　　説明：" + entry.description;
}

void SplitServiceItem(const std::string& item, ServiceEntry& entry) {
    std::string* fields[] = {&entry.serviceName, &entry.displayName, &entry.executablePath,
                             &entry.company, &entry.description};
    for (std::string* field : fields) field->clear();

    std::string text;
    text.reserve(item.size() + 5);
    for (const char c : item) {
        if (c == '\t')
            text += "\r\n";
        else
            text += c;
    }
    const auto lines = SplitTextLines(text);
    for (std::size_t i = 0; i < 5 && i < lines.size(); ++i) *fields[i] = lines[i];
}

}  // namespace rondel
