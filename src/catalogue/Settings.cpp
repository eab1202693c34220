#include "catalogue/Settings.h"

#include <algorithm>

namespace rondel {

using namespace platform;

unsigned WatchIntervalOf(std::optional<uint32_t> stored) {
    if (!stored) return kDefaultWatchIntervalMs;
    if (*stored == 0) return 0;
    return std::clamp<unsigned>(*stored, kLeastWatchIntervalMs, kMostWatchIntervalMs);
}

std::optional<uint32_t> ReadDwordValue(IRegistry& registry, RawHandle root, const std::string& subKey,
                                       const std::string& name) {
    uint32_t error = 0;
    const RegistryKeyHandle key = registry.OpenKey(root, subKey, kKeyRead, error);
    if (!key) return std::nullopt;
    RegistryData data;
    if (registry.QueryValue(key.get(), name, data) != 0 || data.type != kRegDword || data.bytes.size() != 4)
        return std::nullopt;
    return static_cast<uint32_t>(data.bytes[0] | (data.bytes[1] << 8) | (data.bytes[2] << 16)) |
           (static_cast<uint32_t>(data.bytes[3]) << 24);
}

Settings ReadSettings(IRegistry& registry) {
    const auto policy = [&](const char* name) { return ReadDwordValue(registry, kHkeyLocalMachine, kPolicyKey, name); };
    const auto policyOrUser = [&](const char* name) {
        const std::optional<uint32_t> set = policy(name);
        return set ? set : ReadDwordValue(registry, kHkeyCurrentUser, kUserSettingsKey, name);
    };
    Settings settings;
    settings.watchIntervalMs = WatchIntervalOf(policyOrUser("WatchInterval"));
    settings.homePageAllowed = policy("DisableHomePage").value_or(0) == 0;
    return settings;
}

}  // namespace rondel
