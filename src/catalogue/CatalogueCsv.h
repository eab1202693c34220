// The catalogue as comma-separated values for spreadsheets (RFC 4180), in UTF-8.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/ServiceCatalogue.h"
#include "platform/Platform.h"

namespace rondel {

// Turns code-page-932 bytes into UTF-8. Windows does it with MultiByteToWideChar
// (platform::Utf8FromCodePage932); the native tests with the host's converter.
using Utf8Converter = std::function<std::string(const std::string& text)>;

// One field: as it stands, or between double quotes with each double quote doubled when it
// holds a double quote, a comma, a CR or a LF.
std::string CsvField(std::string_view text);

// The fields, separated by commas, ended by CR LF.
std::string CsvRecord(const std::vector<std::string>& fields);

// The header row's names, in the columns' order.
inline constexpr const char* kCatalogueCsvColumns[] = {
    "tab", "service name", "display name", "image path", "company", "description", "start type"};

// A header row, then one record per listed service in FormatCatalogueListing's order: the tab
// number (0 running, 1 paused, 2 stopped), the five fields of the list-item text as the details
// panel shows them, and the start type as its drop-down list does ("自動", "手動", "無効"),
// read from the service's key now. Each service's fields go through toUtf8. A registry error met while
// reading a start type is added to errors and leaves that field empty; the service is listed.
std::string FormatCatalogueCsv(platform::Platform& system, const ServiceCatalogue& catalogue,
                               const Utf8Converter& toUtf8, std::vector<ServiceReadError>& errors);
// The same of the three tabs' entries (a catalogue's lists' entries, copied for a worker).
using TabEntries = std::array<std::vector<ServiceEntry>, 3>;
TabEntries EntriesOfCatalogue(const ServiceCatalogue& catalogue);
std::string FormatServicesCsv(platform::Platform& system, const TabEntries& tabs, const Utf8Converter& toUtf8,
                              std::vector<ServiceReadError>& errors);

}  // namespace rondel
