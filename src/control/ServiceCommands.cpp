#include "control/ServiceCommands.h"

#include <array>
#include <stdexcept>

namespace rondel {

using namespace platform;

namespace {

// Indexed by ServiceCommand. Pause and continue share one right.
constexpr std::array<ServiceCommandSpec, 4> kCommandSpecs{{
    {kServiceStart, 0, kRunningTab},
    {kServiceStop, kServiceControlStop, kStoppedTab},
    {kServicePauseContinue, kServiceControlPause, kPausedTab},
    {kServicePauseContinue, kServiceControlContinue, kRunningTab},
}};

struct ErrorText {
    uint32_t code;
    const char* text;
};

// The "､" is the half-width ideographic comma (one byte, 0xA4, in code page 932).
constexpr ErrorText kErrorTexts[] = {
    {kErrorDependentServicesRunning, "ほかのサービスがこのサービスに依存しているため､ サービスを停止できません。"},
    {kErrorServiceCannotAcceptCtrl, "要求された制御コードをサービスに送ることができません。"},
};

// A time-out names the request, indexed by ServiceCommand.
constexpr std::array<const char*, 4> kTimeOutTexts{
    "起動要求にサービスが時間内に応答しません。",
    "停止要求にサービスが時間内に応答しません。",
    "一時停止要求にサービスが時間内に応答しません。",
    "再開要求にサービスが時間内に応答しません。",
};

}  // namespace

const ServiceCommandSpec& CommandSpec(ServiceCommand command) {
    const auto index = static_cast<std::size_t>(command);
    if (index >= kCommandSpecs.size()) throw std::invalid_argument("unknown service command");
    return kCommandSpecs[index];
}

ServiceCommandRequest::ServiceCommandRequest(Platform& system, const std::string& serviceName,
                                             ServiceCommand command)
    : services_(system.services), spec_(CommandSpec(command)) {
    // Connecting is all OpenService needs of the manager.
    manager_ = services_.OpenManager(kScManagerConnect, openError_);
    if (manager_) service_ = services_.OpenServiceByName(manager_.get(), serviceName, spec_.serviceRight, openError_);
}

ServiceCommandRequest::~ServiceCommandRequest() {
    service_.reset();
    manager_.reset();
}

uint32_t ServiceCommandRequest::Send() {
    if (!service_) return openError_ != 0 ? openError_ : kErrorInvalidHandle;
    if (spec_.control == 0) return services_.Start(service_.get());
    ServiceStatus status{};
    return services_.Control(service_.get(), spec_.control, status);
}

std::string ServiceErrorText(uint32_t errorCode, ServiceCommand command, IEnvironment& system) {
    if (errorCode == kErrorServiceRequestTimeout) return kTimeOutTexts[static_cast<std::size_t>(command)];
    for (const ErrorText& entry : kErrorTexts)
        if (entry.code == errorCode) return entry.text;
    return SystemErrorText(errorCode, system);
}

std::string SystemErrorText(uint32_t errorCode, IEnvironment& system) {
    const std::string code = "エラー " + std::to_string(errorCode);
    const std::string message = system.ErrorMessage(errorCode);
    return message.empty() ? code : message + "（" + code + "）";
}

}  // namespace rondel
