// The program's settings, read from HKEY_CURRENT_USER\Software\Rondel once as the window starts.
// A value that is missing or of another kind counts as not set: the program never fails on its
// settings.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/Platform.h"

namespace rondel {

// How often the main window asks the manager for the services' states ("WatchInterval",
// REG_DWORD, milliseconds): without the value 500; 0 turns the following off (a very large
// machine, a slow manager); any other value is held to 250..60000.
inline constexpr unsigned kDefaultWatchIntervalMs = 500;
inline constexpr unsigned kLeastWatchIntervalMs = 250;
inline constexpr unsigned kMostWatchIntervalMs = 60000;
unsigned WatchIntervalOf(std::optional<uint32_t> stored);

struct Settings {
    unsigned watchIntervalMs = kDefaultWatchIntervalMs;
};

Settings ReadSettings(platform::IRegistry& registry);

// A REG_DWORD value of a key below root: nothing when the key does not open or the value is
// missing or of another kind or size.
std::optional<uint32_t> ReadDwordValue(platform::IRegistry& registry, platform::RawHandle root,
                                       const std::string& subKey, const std::string& name);

}  // namespace rondel
