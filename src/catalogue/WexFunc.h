// WexFunc: product information from version resources, and the path, environment and
// registry helpers the rest of the program resolves its files with.
//
// The operations report success as 0 and failure as -1 and show nothing; strings that an
// operation rewrites are passed by reference and changed in place.
#pragma once

#include <string>

#include "platform/Platform.h"

namespace rondel {

// The version-resource strings of one executable. All nine are empty after construction.
struct TWexProductInfo {
    std::string CompanyName;
    std::string FileDescription;
    std::string FileVersion;
    std::string InternalName;
    std::string LegalCopyright;
    std::string OriginalFilename;
    std::string ProductName;
    std::string ProductVersion;
    std::string ShortVersion;  // "ProductVersion" up to its second full stop
};

void ClearProductInfo(TWexProductInfo& info);

// Fills info from the version resource of fileName: the first translation's string table,
// or the "040904E4" table when that gave nothing. 0 when at least one key was found.
int GetProductInfo(platform::Platform& system, const std::string& fileName, TWexProductInfo& info);

// The text before the second full stop of a version ("1.23.4.5" gives "1.23"); empty when the
// version has fewer than two.
std::string ShortVersion(const std::string& productVersion);

// Replaces the first %NAME% reference by the variable's value (empty when unset, or when the
// value does not fit a path). The text in front of the reference is kept.
void ExpandEnvironmentVariable(std::string& text, platform::IEnvironment& environment);

// Reduces an image path or command line, as the registry keeps it, to the executable's path.
// Never fails; never looks at the file system; the result is at most 259 characters.
void ExtractExecutablePath(std::string& text, platform::IEnvironment& environment);

// The system directory without a trailing backslash; empty when the system cannot say.
std::string GetSystemDir(platform::IEnvironment& environment);

// Reads one string value for reading only. 0 when the key opened and holds the value (a value
// of a non-string type reads as empty), -1 otherwise. keyPath starts with a backslash.
int ReadRegistryString(platform::IRegistry& registry, platform::RawHandle root,
                       const std::string& keyPath, const std::string& valueName, std::string& value);

// HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Windows\CurrentVersion "ProgramFilesDir"; empty when missing.
std::string GetProgramFilesDir(platform::IRegistry& registry);

}  // namespace rondel
