#include "catalogue/ServiceDetails.h"

#include "catalogue/RegistryKey.h"
#include "catalogue/WexFunc.h"
#include "text/AnsiText.h"

namespace rondel {

using namespace platform;

namespace {

// What the catalogue reads of a "DependOnService" value at most: far more than any real list.
constexpr std::size_t kLongestDependOnService = 64 * 1024;

const char kUnknown[] = "不明";
const char kExecutableNotFound[] = "実行ファイルが見つかりません";
const char kSystemRootPrefix[] = "\\SystemRoot\\";
const char kSystemRootReference[] = "%SystemRoot%\\";

// "No extension": the last of full stop, backslash and colon is not a full stop.
bool HasExtension(const std::string& path) {
    const std::size_t last = LastDelimiter(path, ".\\:");
    return last != std::string::npos && path[last] == '.';
}

void Append(std::string& path, const char* text) {
    path += text;
    CutToPathLength(path);
}

// The last fallback of both rules: the path taken from the Windows directory.
void FromSystemRoot(IEnvironment& environment, std::string& path) {
    path = kSystemRootReference + path;
    CutToPathLength(path);
    ExtractExecutablePath(path, environment);
}

// Company and description of the file the details rule found, or of none.
ExecutableCache::Strings StringsOfFile(Platform& system, const std::optional<std::string>& file) {
    if (!file) return {kUnknown, kExecutableNotFound};
    TWexProductInfo info;
    GetProductInfo(system, *file, info);
    return {info.CompanyName.empty() ? kUnknown : info.CompanyName,
            info.FileDescription.empty() ? kUnknown : info.FileDescription};
}

}  // namespace

void ExecutableCache::BeginBuild() {
    stringsByImagePath_.clear();
    iconByPath_.clear();
    stamped_.clear();
    readAgain_ = false;
}

ExecutableCache::FileRead& ExecutableCache::FileOf(const std::string& file) {
    FileRead& read = files_[file];
    if (stamped_.insert(file).second) {
        const std::optional<FileStamp> stamp = system_.files.StampOf(file);
        if (!stamp || stamp != read.stamp) {
            readAgain_ = readAgain_ || read.strings || read.icon;
            read = FileRead{stamp, std::nullopt, std::nullopt};
        }
    }
    return read;
}

const ExecutableCache::Strings& ExecutableCache::StringsOf(const std::string& imagePath) {
    if (const auto known = stringsByImagePath_.find(imagePath); known != stringsByImagePath_.end())
        return known->second;
    const std::optional<std::string> file = ResolveExecutableForDetails(system_, imagePath);
    Strings strings;
    if (!file) {
        strings = StringsOfFile(system_, file);
    } else {
        FileRead& read = FileOf(*file);
        if (!read.strings) read.strings = StringsOfFile(system_, file);
        strings = *read.strings;
    }
    return stringsByImagePath_.emplace(imagePath, std::move(strings)).first->second;
}

RawHandle ExecutableCache::IconOf(const std::string& executablePath) {
    if (const auto known = iconByPath_.find(executablePath); known != iconByPath_.end()) return known->second;
    RawHandle icon = 0;
    if (const auto file = ResolveExecutableForIcon(system_, executablePath)) {
        FileRead& read = FileOf(*file);
        if (!read.icon) read.icon = system_.shell.AssociatedIcon(*file);
        icon = read.icon->get();
    }
    iconByPath_.emplace(executablePath, icon);
    return icon;
}

ServiceRegistryDetails ReadServiceRegistryDetails(Platform& system, const std::string& serviceName) {
    ServiceRegistryDetails details;
    // The key object closes the key on every way out, errors included.
    RegistryKey key(system.registry, kHkeyLocalMachine);
    if (!key.OpenKey(ServiceKeyPath(serviceName), kKeyRead)) {
        details.keyMissing = true;
        return details;
    }
    details.description = ResolveIndirectString(system.shell, key.ReadString("Description"));
    details.startValue = static_cast<uint32_t>(key.ReadInteger("Start"));
    return details;
}

std::string ServiceKeyPath(const std::string& serviceName) {
    return "\\SYSTEM\\CurrentControlSet\\Services\\" + serviceName;
}

std::string ResolveIndirectString(IShell& shell, const std::string& stored) {
    if (stored.empty() || stored.front() != '@') return stored;
    std::optional<std::string> text = shell.LoadIndirectString(stored);
    return text ? *text : stored;
}

std::optional<std::string> ResolveExecutableForDetails(Platform& system, std::string path) {
    CutToPathLength(path);
    ExtractExecutablePath(path, system.environment);
    if (!system.files.FileExists(path) && !HasExtension(path)) Append(path, ".exe");
    if (!system.files.FileExists(path) && path.rfind(kSystemRootPrefix, 0) == 0)
        path.erase(0, sizeof kSystemRootPrefix - 1);
    if (!system.files.FileExists(path)) FromSystemRoot(system.environment, path);
    if (system.files.FileExists(path)) return path;
    return std::nullopt;
}

std::optional<std::string> ResolveExecutableForIcon(Platform& system, std::string path) {
    CutToPathLength(path);
    ExtractExecutablePath(path, system.environment);
    if (!system.files.FileExists(path) && AsciiLower(path).find(".exe") == std::string::npos)
        Append(path, ".exe");
    if (!system.files.FileExists(path)) FromSystemRoot(system.environment, path);
    if (system.files.FileExists(path)) return path;
    return std::nullopt;
}

void ReadServiceInfo(Platform& system, ServiceEntry& entry, ExecutableCache* cache) {
    entry.displayName.clear();
    entry.executablePath.clear();
    entry.company.clear();
    entry.description.clear();
    entry.serviceType = 0;
    if (!ReadServiceKey(system, entry)) return;

    const std::string& imagePath = entry.executablePath;
    const ExecutableCache::Strings strings = cache != nullptr
                                                 ? cache->StringsOf(imagePath)
                                                 : StringsOfFile(system, ResolveExecutableForDetails(system, imagePath));
    entry.company = strings.company;
    entry.description = strings.description;
}

bool ReadServiceKey(Platform& system, ServiceEntry& entry, ServiceKeyExtras* extras) {
    // Read rights only: the keys of protected services refuse full access even to administrators.
    RegistryKey key(system.registry, kHkeyLocalMachine);
    if (!key.OpenKey(ServiceKeyPath(entry.serviceName), kKeyRead)) return false;

    // A value of another kind is left out here; the dependencies window and the details panel
    // report it.
    if (extras != nullptr && key.ValueExists("DependOnService")) {
        try {
            extras->dependsOn = DependOnServiceNames(key.ReadBinaryData("DependOnService", kLongestDependOnService));
        } catch (const RegistryError&) {
        }
    }
    if (extras != nullptr && key.ValueExists("Description")) {
        try {
            extras->description = ResolveIndirectString(system.shell, key.ReadString("Description"));
        } catch (const RegistryError&) {
        }
    }
    entry.displayName = ResolveIndirectString(system.shell, key.ReadString("DisplayName"));
    entry.serviceType = static_cast<uint32_t>(key.ReadInteger("Type"));
    std::string imagePath = key.ReadString("ImagePath");
    CutToPathLength(imagePath);
    entry.executablePath = imagePath;
    return true;
}

std::vector<std::string> DependOnServiceNames(std::span<const uint8_t> value) {
    std::vector<std::string> names;
    std::size_t offset = 0;
    while (offset < value.size()) {
        const auto begin = value.begin() + static_cast<std::ptrdiff_t>(offset);
        const auto end = std::find(begin, value.end(), uint8_t{0});
        if (end == begin) break;
        names.emplace_back(begin, end);
        offset += names.back().size() + 1;
    }
    return names;
}

void LoadServiceIcon(Platform& system, const ServiceEntry& entry, IconHandle& icon) {
    const auto file = ResolveExecutableForIcon(system, entry.executablePath);
    if (!file) return;
    IconHandle found = system.shell.AssociatedIcon(*file);
    if (found) icon = std::move(found);
}

}  // namespace rondel
