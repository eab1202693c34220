// RondelList.exe: the catalogue for scripts. It builds the three state lists exactly as the
// main window does and prints them (see FormatCatalogueListing), bytes in code page 932.
// Exit code 0 when the listing is complete, 1 when the Service Control Manager cannot be
// opened or the enumeration ends early. A registry error met while reading one service goes
// to stderr; the service is still listed.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

#include "catalogue/ServiceCatalogue.h"
#include "platform/Win32Platform.h"
#include "toolkit/ErrorText.h"

using namespace rondel;

namespace {

void Write(std::FILE* stream, const std::string& bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
}

}  // namespace

int main() {
    // CR LF is written as it stands: no text-mode translation.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);

    platform::Win32Platform machine;
    platform::Platform system = machine.View();
    ServiceCatalogue catalogue(system);
    const platform::IconHandle defaultIcon = LoadSystemIcon(system, kDefaultServiceIconIndex);
    const BuildResult result = catalogue.BuildServiceLists(defaultIcon.get());

    if (result.openError != 0) {
        Write(stderr, "サービス コントロール マネージャを開けません (エラー " + std::to_string(result.openError) + ")\r\n");
        return 1;
    }
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
