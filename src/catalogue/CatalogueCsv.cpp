#include "catalogue/CatalogueCsv.h"

#include "catalogue/RegistryKey.h"
#include "catalogue/ServiceDetails.h"
#include "catalogue/ServiceEntry.h"
#include "catalogue/StartTypeItems.h"

namespace rondel {

std::string CsvField(std::string_view text) {
    if (text.find_first_of("\",\r\n") == std::string_view::npos) return std::string(text);
    std::string field = "\"";
    for (const char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    field += '"';
    return field;
}

std::string CsvRecord(const std::vector<std::string>& fields) {
    std::string record;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        if (k > 0) record += ',';
        record += CsvField(fields[k]);
    }
    record += "\r\n";
    return record;
}

TabEntries EntriesOfCatalogue(const ServiceCatalogue& catalogue) {
    TabEntries tabs;
    for (const ServiceTab tab : {kRunningTab, kPausedTab, kStoppedTab}) tabs[tab] = catalogue.List(tab).entries;
    return tabs;
}

std::string FormatCatalogueCsv(platform::Platform& system, const ServiceCatalogue& catalogue,
                               const Utf8Converter& toUtf8, std::vector<ServiceReadError>& errors) {
    return FormatServicesCsv(system, EntriesOfCatalogue(catalogue), toUtf8, errors);
}

std::string FormatServicesCsv(platform::Platform& system, const TabEntries& tabs, const Utf8Converter& toUtf8,
                              std::vector<ServiceReadError>& errors) {
    std::string csv = CsvRecord(std::vector<std::string>(std::begin(kCatalogueCsvColumns), std::end(kCatalogueCsvColumns)));
    for (const ServiceTab tab : {kRunningTab, kPausedTab, kStoppedTab}) {
        for (const ServiceEntry& entry : tabs[tab]) {
            std::string startType;
            try {
                const ServiceRegistryDetails details = ReadServiceRegistryDetails(system, entry.serviceName);
                if (!details.keyMissing)
                    startType = kStartTypeItems[static_cast<std::size_t>(ItemOfStartValue(details.startValue))];
            } catch (const RegistryError& error) {
                errors.push_back({entry.serviceName, error.what()});
            }
            std::vector<std::string> fields{std::string(1, static_cast<char>('0' + tab)),
                                            entry.serviceName,
                                            entry.displayName,
                                            entry.executablePath,
                                            entry.company,
                                            entry.description,
                                            startType};
            for (std::string& field : fields) field = toUtf8(field);
            csv += CsvRecord(fields);
        }
    }
    return csv;
}

}  // namespace rondel
