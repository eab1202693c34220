// The program's settings, read once as the window starts. Each value comes from the
// administrator's policies (HKEY_LOCAL_MACHINE\Software\Policies\Rondel, set by Group Policy
// through packaging/PolicyDefinitions/Rondel.admx or by a configuration tool) when it is there,
// else from the user's key (HKEY_CURRENT_USER\Software\Rondel). A value that is missing or of
// another kind counts as not set, and the next place is asked: the program never fails on its
// settings.
#pragma once

#include <cstdint>
#include <optional>

#include "platform/Platform.h"

namespace rondel {

inline constexpr const char kPolicyKey[] = "Software\\Policies\\Rondel";
inline constexpr const char kUserSettingsKey[] = "Software\\Rondel";

// How often the main window asks the manager for the services' states ("WatchInterval",
// REG_DWORD, milliseconds): without the value 500; 0 turns the following off (a very large
// machine, a slow manager); any other value is held to 250..60000.
inline constexpr unsigned kDefaultWatchIntervalMs = 500;
inline constexpr unsigned kLeastWatchIntervalMs = 250;
inline constexpr unsigned kMostWatchIntervalMs = 60000;
unsigned WatchIntervalOf(std::optional<uint32_t> stored);

struct Settings {
    unsigned watchIntervalMs = kDefaultWatchIntervalMs;
    // The banner's home page; turned off by the policy "DisableHomePage" (REG_DWORD, any value
    // but 0), which only the policy key holds: the administrator's word, not the user's.
    bool homePageAllowed = true;
};

Settings ReadSettings(platform::IRegistry& registry);

// A REG_DWORD value of a key below root: nothing when the key does not open or the value is
// missing or of another kind or size.
std::optional<uint32_t> ReadDwordValue(platform::IRegistry& registry, platform::RawHandle root,
                                       const std::string& subKey, const std::string& name);

}  // namespace rondel
