#include "catalogue/CatalogueMemory.h"

#include "catalogue/RegistryKey.h"
#include "catalogue/ServiceCatalogue.h"
#include "text/AnsiText.h"

namespace rondel {

namespace {

constexpr char kServicesKey[] = "SYSTEM\\CurrentControlSet\\Services";

}  // namespace

CatalogueMemory::CatalogueMemory(platform::Platform system)
    : system_(system),
      executables_(system_),
      servicesKey_(system_.registry.WatchKey(platform::kHkeyLocalMachine, kServicesKey)) {}

bool CatalogueMemory::ReadStamps() {
    stamps_.clear();
    const std::optional<std::vector<platform::KeyStamp>> stamps =
        system_.registry.SubKeyStamps(platform::kHkeyLocalMachine, kServicesKey);
    if (!stamps) return false;
    for (const platform::KeyStamp& stamp : *stamps) stamps_[AsciiLower(stamp.name)] = stamp.lastWrite;
    return true;
}

void CatalogueMemory::BeginBuild() {
    // The watch is asked first: a change after it is seen by the next build.
    const bool changed = !servicesKey_ || servicesKey_->Changed();
    if (builds_ == 0 || changed) {
        if (!ReadStamps()) {
            keys_.clear();
        } else {
            std::erase_if(keys_, [this](const auto& known) {
                const auto stamp = stamps_.find(AsciiLower(known.first));
                return known.second.lastWrite == 0 || stamp == stamps_.end() || stamp->second != known.second.lastWrite;
            });
        }
    }
    executables_.BeginBuild();
}

ServiceEntry CatalogueMemory::ListedService(const std::string& serviceName, std::vector<ServiceReadError>& errors,
                                            ServiceKeyExtras* extras) {
    auto known = keys_.find(serviceName);
    if (known == keys_.end()) {
        KeyRead read;
        read.entry.serviceName = serviceName;
        // The time as the build began: a key written after it is read again by the next build.
        if (const auto stamp = stamps_.find(AsciiLower(serviceName)); stamp != stamps_.end())
            read.lastWrite = stamp->second;
        try {
            read.opened = ReadServiceKey(system_, read.entry, &read.extras);
        } catch (const RegistryError& error) {
            read.error = error.what();
        }
        known = keys_.emplace(serviceName, std::move(read)).first;
    }
    const KeyRead& read = known->second;
    ServiceEntry entry = read.entry;
    if (extras != nullptr) *extras = read.extras;
    if (read.error) {
        errors.push_back({serviceName, *read.error});
    } else if (read.opened) {
        const ExecutableCache::Strings& strings = executables_.StringsOf(entry.executablePath);
        entry.company = strings.company;
        entry.description = strings.description;
    }
    return entry;
}

bool CatalogueMemory::SameAs(Listed listed, Extras extras, std::optional<uint64_t> shown) {
    const bool same = shown.value_or(builds_) == builds_ && listed_ == listed && extras_ == extras &&
                      !executables_.ReadAgain();
    listed_ = std::move(listed);
    extras_ = std::move(extras);
    ++builds_;
    return same;
}

}  // namespace rondel
