// The four requests the main window sends to a service, and the texts of their refusals.
//
// GUI-free: the window asks for a command, sends it once, and shows ServiceErrorText of a
// non-zero answer; which tab the service should end up in comes from the same table.
#pragma once

#include <cstdint>
#include <string>

#include "catalogue/ServiceCatalogue.h"
#include "platform/Platform.h"

namespace rondel {

enum class ServiceCommand { Start, Stop, Pause, Continue };

struct ServiceCommandSpec {
    uint32_t serviceRight;  // the right the service is opened with
    uint32_t control;       // 0 for Start, else the SERVICE_CONTROL_ code sent
    ServiceTab targetTab;   // where the service belongs once the request has been carried out
};

const ServiceCommandSpec& CommandSpec(ServiceCommand command);

// One command's handles, held for the length of one request. A failed open is kept, and Send
// then answers with its error.
class ServiceCommandRequest {
public:
    ServiceCommandRequest(platform::Platform& system, const std::string& serviceName, ServiceCommand command);
    // The service handle is closed before the manager's.
    ~ServiceCommandRequest();
    ServiceCommandRequest(const ServiceCommandRequest&) = delete;
    ServiceCommandRequest& operator=(const ServiceCommandRequest&) = delete;

    // Sends the request once: StartService with no arguments, or ControlService with the
    // command's control. 0 on success, else the system's error code.
    uint32_t Send();

private:
    platform::IServiceControlManager& services_;
    const ServiceCommandSpec& spec_;
    platform::ServiceHandle manager_;
    platform::ServiceHandle service_;
    uint32_t openError_ = 0;
};

// The text of the error dialog for a refused request: a text of the program's own for the
// refusals an administrator meets most (a time-out names the request that timed out), else
// SystemErrorText.
std::string ServiceErrorText(uint32_t errorCode, ServiceCommand command, platform::IEnvironment& system);

// The system's message for an error code followed by the code: "…（エラー 1058）".
std::string SystemErrorText(uint32_t errorCode, platform::IEnvironment& system);

}  // namespace rondel
