// The change of a service's start type through the Service Control Manager.
#pragma once

#include <cstdint>
#include <string>

#include "catalogue/StartTypeItems.h"
#include "platform/Platform.h"

namespace rondel {

// Sets the start type through the manager, which also stores it in the registry; every other
// setting stays as it is. 0 on success, else the error of the open or of the change.
uint32_t ChangeStartType(platform::Platform& system, const std::string& serviceName, uint32_t startValue);

}  // namespace rondel
