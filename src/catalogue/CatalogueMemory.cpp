#include "catalogue/CatalogueMemory.h"

#include "catalogue/RegistryKey.h"
#include "catalogue/ServiceCatalogue.h"

namespace rondel {

CatalogueMemory::CatalogueMemory(platform::Platform system)
    : system_(system),
      executables_(system_),
      servicesKey_(system_.registry.WatchKey(platform::kHkeyLocalMachine, "SYSTEM\\CurrentControlSet\\Services")) {}

void CatalogueMemory::BeginBuild() {
    if (!servicesKey_ || servicesKey_->Changed()) keys_.clear();
    executables_.BeginBuild();
}

ServiceEntry CatalogueMemory::ListedService(const std::string& serviceName, std::vector<ServiceReadError>& errors) {
    auto known = keys_.find(serviceName);
    if (known == keys_.end()) {
        KeyRead read;
        read.entry.serviceName = serviceName;
        try {
            read.opened = ReadServiceKey(system_, read.entry);
        } catch (const RegistryError& error) {
            read.error = error.what();
        }
        known = keys_.emplace(serviceName, std::move(read)).first;
    }
    const KeyRead& read = known->second;
    ServiceEntry entry = read.entry;
    if (read.error) {
        errors.push_back({serviceName, *read.error});
    } else if (read.opened) {
        const ExecutableCache::Strings& strings = executables_.StringsOf(entry.executablePath);
        entry.company = strings.company;
        entry.description = strings.description;
    }
    return entry;
}

bool CatalogueMemory::SameAsBefore(Listed listed) {
    const bool same = listed_ == listed && !executables_.ReadAgain();
    listed_ = std::move(listed);
    return same;
}

}  // namespace rondel
