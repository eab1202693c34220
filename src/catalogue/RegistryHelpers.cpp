// Read-only registry lookups.
#include <cstdint>
#include <string>

#include "catalogue/RegistryKey.h"
#include "catalogue/WexFunc.h"
#include "text/AnsiText.h"

namespace rondel {

int ReadRegistryString(platform::IRegistry& registry, platform::RawHandle root,
                       const std::string& keyPath, const std::string& valueName, std::string& value) {
    using namespace platform;
    value.clear();

    // Read access only, asking for less each time a key refuses more.
    constexpr uint32_t kAttempts[] = {kKeyRead, kStandardRightsRead | kKeyQueryValue | kKeyEnumerateSubKeys,
                                      kKeyQueryValue};
    RegistryKey key(registry, root);
    bool opened = false;
    for (const uint32_t access : kAttempts) {
        opened = key.OpenKey(keyPath, access);
        if (opened) break;
    }
    if (!opened || !key.ValueExists(valueName)) return -1;

    // A value that is there but cannot be read as a string is no failure: it reads as empty.
    try {
        value = key.ReadString(valueName);
    } catch (const RegistryError&) {
        value.clear();
    }
    return 0;
}

std::string GetProgramFilesDir(platform::IRegistry& registry) {
    std::string directory;
    ReadRegistryString(registry, platform::kHkeyLocalMachine, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                       "ProgramFilesDir", directory);
    CutToPathLength(directory);  // the callers build paths on it
    return directory;
}

}  // namespace rondel
