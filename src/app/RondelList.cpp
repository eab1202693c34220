// RondelList.exe: the catalogue for scripts. It builds the three state lists exactly as the
// main window does and prints them.
//
//   RondelList.exe            one line per service (see FormatCatalogueListing), code page 932
//   RondelList.exe --csv      the same services as CSV for spreadsheets, UTF-8, with the start
//                             type (see FormatCatalogueCsv)
//   RondelList.exe --version  "RondelList " and the product version of its own resource
//
// Exit code 0 when the listing is complete, 1 when the Service Control Manager cannot be
// opened, the enumeration ends early or the version cannot be read, 2 for any other argument
// (a one-line usage on stderr). A registry error met while reading one service goes to stderr;
// the service is still listed.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "catalogue/CatalogueCsv.h"
#include "catalogue/ServiceCatalogue.h"
#include "platform/Win32Platform.h"
#include "toolkit/ErrorText.h"
#include "utilities/WexFunc.h"

using namespace rondel;

namespace {

enum class Output { Listing, Csv, Version };

void Write(std::FILE* stream, const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

int PrintVersion(platform::Platform& system) {
    TWexProductInfo info;
    if (GetProductInfo(system, system.files.ModuleFileName(), info) != 0 || info.ProductVersion.empty()) {
        Write(stderr, "版情報を読めません\r\n");
        return 1;
    }
    Write(stdout, "RondelList " + info.ProductVersion + "\r\n");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // CR LF is written as it stands: no text-mode translation.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    Output output = Output::Listing;
    if (argc == 2 && std::string(argv[1]) == "--csv") {
        output = Output::Csv;
    } else if (argc == 2 && std::string(argv[1]) == "--version") {
        output = Output::Version;
    } else if (argc != 1) {
        Write(stderr, "usage: RondelList.exe [--csv | --version]\r\n");
        return 2;
    }

    platform::Win32Platform machine;
    platform::Platform system = machine.View();
    if (output == Output::Version) return PrintVersion(system);

    ServiceCatalogue catalogue(system);
    const platform::IconHandle defaultIcon = LoadSystemIcon(system, kDefaultServiceIconIndex);
    BuildResult result = catalogue.BuildServiceLists(defaultIcon.get());

    if (result.openError != 0) {
        Write(stderr, "サービス コントロール マネージャを開けません (エラー " + std::to_string(result.openError) + ")\r\n");
        return 1;
    }
    if (output == Output::Csv)
        Write(stdout, FormatCatalogueCsv(system, catalogue, platform::Utf8FromCodePage932, result.readErrors));
    else
        Write(stdout, FormatCatalogueListing(catalogue));
    std::fflush(stdout);
    for (const ServiceReadError& error : result.readErrors)
        Write(stderr, error.serviceName + ": " + UnhandledErrorText(error.message) + "\r\n");
    if (result.enumerationError != 0) {
        Write(stderr, "サービスの列挙が途中で失敗しました (エラー " + std::to_string(result.enumerationError) + ")\r\n");
        return 1;
    }
    return 0;
}
