#include "catalogue/ServiceCatalogue.h"

#include <algorithm>
#include <functional>
#include <numeric>

#include "catalogue/CatalogueMemory.h"
#include "catalogue/RegistryKey.h"
#include "catalogue/ServiceDetails.h"
#include "catalogue/ServiceEntry.h"
#include "catalogue/WexFunc.h"

namespace rondel {

using namespace platform;

namespace {

// Zero-terminated byte strings compared as unsigned bytes; the shorter one is smaller.
bool NameGreater(const std::string& a, const std::string& b) {
    const char* p = a.c_str();
    const char* q = b.c_str();
    while (*p != '\0' && *p == *q) {
        ++p;
        ++q;
    }
    return static_cast<unsigned char>(*p) > static_cast<unsigned char>(*q);
}

// Requests that make no progress are retried with a larger buffer a few times, never forever.
constexpr int kMaxRetriesWithoutProgress = 8;
constexpr uint32_t kLargestEnumBuffer = 64u * 1024u * 1024u;

}  // namespace

ServiceTab TabOfState(uint32_t currentState) {
    switch (currentState) {
        case kServiceContinuePending:
        case kServicePaused:
            return kPausedTab;
        case kServiceStopped:
        case kServiceStopPending:
            return kStoppedTab;
        default:
            return kRunningTab;
    }
}

std::vector<std::size_t> ExchangeSortOrder(const std::vector<std::string>& names) {
    const std::size_t n = names.size();
    std::vector<std::size_t> order(n);
    std::iota(order.begin(), order.end(), std::size_t{0});
    if (n < 2) return order;
    // The exchanges depend only on which name is greater: compare ranks (equal names, equal
    // ranks) instead of bytes, so each of the n·(n−1)/2 steps is one integer comparison.
    std::vector<std::size_t> byName(order);
    std::sort(byName.begin(), byName.end(), [&](std::size_t a, std::size_t b) { return NameGreater(names[b], names[a]); });
    std::vector<uint32_t> rank(n);
    uint32_t current = 0;
    for (std::size_t k = 0; k < n; ++k) {
        if (k > 0 && NameGreater(names[byName[k]], names[byName[k - 1]])) ++current;
        rank[byName[k]] = current;
    }
    std::vector<uint32_t> at(n);
    for (std::size_t k = 0; k < n; ++k) at[k] = rank[k];
    for (std::size_t i = 0; i + 1 < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            if (at[i] > at[j]) {
                std::swap(at[i], at[j]);
                std::swap(order[i], order[j]);
            }
        }
    }
    return order;
}

void SortStateList(std::vector<std::string>& items, IImageList& images) {
    const std::size_t n = items.size();
    if (n < 2) return;
    std::vector<std::string> names(n);
    for (std::size_t k = 0; k < n; ++k) {
        ServiceEntry entry;
        SplitServiceItem(items[k], entry);
        names[k] = std::move(entry.displayName);
    }
    const std::vector<std::size_t> order = ExchangeSortOrder(names);

    std::vector<std::string> sorted(n);
    for (std::size_t k = 0; k < n; ++k) sorted[k] = std::move(items[order[k]]);
    items = std::move(sorted);

    // Copy every icon that moves before any is replaced.
    std::vector<IconHandle> moved(n);
    for (std::size_t k = 0; k < n; ++k) {
        if (order[k] != k) moved[k] = images.GetIcon(static_cast<int>(order[k]));
    }
    for (std::size_t k = 0; k < n; ++k) {
        if (order[k] != k) images.ReplaceIcon(static_cast<int>(k), moved[k].get());
    }
}

ServiceEntry ReadListedService(Platform& system, const std::string& serviceName,
                               std::vector<ServiceReadError>& errors, ExecutableCache* cache) {
    ServiceEntry entry;
    entry.serviceName = serviceName;
    try {
        ReadServiceInfo(system, entry, cache);
    } catch (const RegistryError& error) {
        // One odd registry value must not hide the rest of the machine.
        errors.push_back({serviceName, error.what()});
    }
    return entry;
}

ServiceCatalogue::ServiceCatalogue(Platform& system) : system_(system) {
    const int iconSize = system_.shell.IconSize();
    for (auto& list : lists_) list.images = system_.shell.CreateImageList(iconSize, iconSize);
}

void StateList::Clear() {
    items.clear();
    entries.clear();
    images->Clear();
}

std::map<std::string, std::vector<std::string>> ServiceCatalogue::DependsOnOf() const {
    std::map<std::string, std::vector<std::string>> dependsOn;
    for (const auto& [name, extras] : extras_)
        if (!extras.dependsOn.empty()) dependsOn[name] = extras.dependsOn;
    return dependsOn;
}

const std::string& ServiceCatalogue::DescriptionOf(const std::string& serviceName) const {
    static const std::string none;
    const auto found = extras_.find(serviceName);
    return found != extras_.end() ? found->second.description : none;
}

void ServiceCatalogue::Clear() {
    for (StateList& list : lists_) list.Clear();
    extras_.clear();
}

void ServiceCatalogue::AddService(const std::string& serviceName, uint32_t currentState, RawHandle defaultIcon,
                                  ExecutableCache& cache, CatalogueMemory* memory, BuildResult& result) {
    ServiceKeyExtras extras;
    const ServiceEntry entry = memory != nullptr ? memory->ListedService(serviceName, result.readErrors, &extras)
                                                 : ReadListedService(system_, serviceName, result.readErrors, &cache);
    if (!(extras == ServiceKeyExtras{})) extras_[serviceName] = std::move(extras);
    const RawHandle icon = cache.IconOf(entry.executablePath);
    found_[TabOfState(currentState)].push_back(MakeFoundService(entry, icon ? icon : defaultIcon));
}

FoundService MakeFoundService(const ServiceEntry& entry, RawHandle icon) {
    std::string item = MakeServiceItem(entry);
    // Sorted by the display name the item gives back, as SortStateList sorts and the list shows
    // it: a TAB or line break in the service or display name moves it to another field. The
    // type, which the text does not carry, goes along (a driver among the dependencies).
    ServiceEntry shown;
    shown.serviceType = entry.serviceType;
    SplitServiceItem(item, shown);
    return {std::move(item), std::move(shown), icon};
}

void PlaceServices(StateList& list, std::vector<FoundService>& found) {
    // What the list held already is sorted together with the new (its icons copied out first).
    std::vector<IconHandle> kept;
    std::vector<FoundService> all;
    for (std::size_t k = 0; k < list.items.size(); ++k) {
        kept.push_back(list.images->GetIcon(static_cast<int>(k)));
        all.push_back({list.items[k], list.entries[k], kept.back().get()});
    }
    for (FoundService& f : found) all.push_back(std::move(f));
    found.clear();

    std::vector<std::string> names(all.size());
    for (std::size_t k = 0; k < all.size(); ++k) names[k] = all[k].shown.displayName;
    const std::vector<std::size_t> order = ExchangeSortOrder(names);
    std::vector<RawHandle> icons(all.size());
    list.items.resize(all.size());
    list.entries.resize(all.size());
    for (std::size_t k = 0; k < all.size(); ++k) {
        list.items[k] = std::move(all[order[k]].item);
        list.entries[k] = std::move(all[order[k]].shown);
        icons[k] = all[order[k]].icon;
    }
    // Image k is the icon of item k; no icon is copied or replaced after it was added.
    list.images->Clear();
    list.images->AddIcons(icons);
}

namespace {

// Every Win32 service's name and state, in the manager's order, to visit; the manager's
// errors go into result.
void EnumerateServices(IServiceControlManager& services, BuildResult& result,
                       const std::function<void(const std::string&, uint32_t)>& visit) {
    uint32_t error = 0;
    // Listing needs no more than this; the requests open their own handles with their own rights.
    const ServiceHandle manager = services.OpenManager(kScManagerConnect | kScManagerEnumerateService, error);
    result.openError = manager ? 0 : (error != 0 ? error : kErrorInvalidHandle);
    if (!manager) return;

    uint32_t resume = 0;
    uint32_t bufferSize = ServiceCatalogue::kEnumBufferSize;
    int retries = 0;
    for (;;) {
        const uint32_t resumeBefore = resume;
        const ServiceEnumeration batch =
            services.EnumerateServices(manager.get(), kServiceWin32, kServiceStateAll, bufferSize, resume);
        const bool moreData = batch.error == kErrorMoreData;
        if (moreData && resume == resumeBefore) {
            // No progress: the same request would answer the same again (Wine does so, with
            // null names). Ask once more, from the same place, with the size it needs; the
            // records of this answer come again then, so they are not listed now.
            if (++retries > kMaxRetriesWithoutProgress || bufferSize >= kLargestEnumBuffer) {
                result.enumerationError = batch.error;
                return;
            }
            bufferSize = std::min(kLargestEnumBuffer, std::max(batch.bytesNeeded, bufferSize * 2));
            continue;
        }
        for (const ServiceStatusRecord& record : batch.records) {
            if (!record.serviceName) continue;  // never dereference a null name
            visit(*record.serviceName, record.status.currentState);
            result.states.emplace_back(*record.serviceName, record.status.currentState);
        }
        if (batch.error == 0) break;
        if (!moreData) {
            result.enumerationError = batch.error;
            return;
        }
    }
    std::sort(result.states.begin(), result.states.end());
}

}  // namespace

std::optional<ServiceStates> ReadServiceStates(Platform& system) {
    BuildResult result;
    EnumerateServices(system.services, result, [](const std::string&, uint32_t) {});
    if (!result.Complete()) return std::nullopt;
    return std::move(result.states);
}

BuildResult ServiceCatalogue::BuildServiceLists(RawHandle defaultIcon, CatalogueMemory* memory,
                                                std::optional<uint64_t> shown) {
    BuildResult result;
    std::optional<ExecutableCache> ownCache;  // the icons it holds live until the image lists have their copies
    if (memory != nullptr) memory->BeginBuild();
    else ownCache.emplace(system_);
    ExecutableCache& cache = memory != nullptr ? memory->Executables() : *ownCache;
    EnumerateServices(system_.services, result, [&](const std::string& name, uint32_t state) {
        AddService(name, state, defaultIcon, cache, memory, result);
    });

    if (memory != nullptr) {
        CatalogueMemory::Listed listed;
        for (const ServiceTab tab : {kRunningTab, kPausedTab, kStoppedTab})
            for (const FoundService& found : found_[tab]) listed[tab].emplace_back(found.item, found.icon);
        const bool same = memory->SameAs(std::move(listed), extras_, shown);
        result.build = memory->LastBuild();
        if (same && result.Complete()) {
            result.unchanged = true;
            for (auto& found : found_) found.clear();
            return result;
        }
    }
    for (const ServiceTab tab : {kRunningTab, kStoppedTab, kPausedTab}) PlaceServices(lists_[tab], found_[tab]);
    return result;
}

}  // namespace rondel

namespace rondel {

platform::IconHandle LoadSystemIcon(platform::Platform& system, uint32_t index) {
    return system.shell.IconOfFile(GetSystemDir(system.environment) + "\\shell32.dll", index);
}

CatalogueBuild BuildCatalogue(platform::Platform system, platform::RawHandle defaultIcon, CatalogueMemory* memory,
                              std::optional<uint64_t> shown) {
    CatalogueBuild build{std::make_unique<ServiceCatalogue>(system), {}};
    build.result = build.catalogue->BuildServiceLists(defaultIcon, memory, shown);
    if (build.result.unchanged) build.catalogue.reset();
    return build;
}

std::string FormatCatalogueListing(const ServiceCatalogue& catalogue) {
    std::string listing;
    for (const ServiceTab tab : {kRunningTab, kPausedTab, kStoppedTab}) {
        for (const std::string& item : catalogue.List(tab).items) {
            listing += static_cast<char>('0' + tab);
            listing += '\t';
            listing += item;
            listing += "\r\n";
        }
    }
    return listing;
}

}  // namespace rondel
