// The catalogue: every Win32 service of the machine, sorted by state into the running, paused
// and stopped lists, each with a parallel image list whose image k is the icon of item k.
#pragma once

#include <array>
#include <map>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/ServiceDetails.h"
#include "catalogue/ServiceEntry.h"
#include "platform/Platform.h"

namespace rondel {

// The tabs of the main window, one per state list.
enum ServiceTab : int { kRunningTab = 0, kPausedTab = 1, kStoppedTab = 2 };

// Start- and pause-pending services count as running, continue-pending ones as paused,
// stop-pending ones as stopped; a state outside 1 to 7 counts as running.
ServiceTab TabOfState(uint32_t currentState);

// One state list: service list-item texts, each service as its text reads back (split once, when
// the item is made), and their icons, in the same order.
struct StateList {
    std::vector<std::string> items;
    std::vector<ServiceEntry> entries;
    std::unique_ptr<platform::IImageList> images;
    void Clear();
};

// Sorts a list by display name (unsigned bytes, no locale) with an exchange sort, whose order
// of equal names the program keeps, and moves each icon along with its item.
void SortStateList(std::vector<std::string>& items, platform::IImageList& images);

// The exchange sort's result as positions: element k of the result is the index, in names, of
// what ends at position k. For i < j, names i and j are exchanged when i's is greater (unsigned
// bytes), which fixes the order of equal names.
std::vector<std::size_t> ExchangeSortOrder(const std::vector<std::string>& names);

// A service read for a list, before it takes its place there.
struct FoundService {
    std::string item;
    ServiceEntry shown;        // as the item reads back; the list is sorted by its display name
    platform::RawHandle icon;  // not owned: it must live until the list has its copy
};
// The found service of an entry: its list-item text and the entry the text reads back as.
FoundService MakeFoundService(const ServiceEntry& entry, platform::RawHandle icon);

// Adds the found services to the list, sorts it by display name (what it held already sorted
// with them), and fills its image list once, in order: image k is the icon of item k.
void PlaceServices(StateList& list, std::vector<FoundService>& found);

// A registry error met while reading one service; the service is still listed.
struct ServiceReadError {
    std::string serviceName;
    std::string message;
};

// A service as a list shows it: its entry read from its name alone. A registry value of the
// wrong kind does not hide it: the error is written down in errors and the service is listed
// with what was read before it.
class ExecutableCache;
class CatalogueMemory;
ServiceEntry ReadListedService(platform::Platform& system, const std::string& serviceName,
                               std::vector<ServiceReadError>& errors, ExecutableCache* cache = nullptr);

// Every listed service's name as the manager gives it and its exact state (SERVICE_STOPPED...),
// sorted by name.
using ServiceStates = std::vector<std::pair<std::string, uint32_t>>;

struct BuildResult {
    uint32_t openError = 0;         // the manager could not be opened
    uint32_t enumerationError = 0;  // the enumeration ended early with this error
    std::vector<ServiceReadError> readErrors;
    ServiceStates states;
    // Built with a memory: the lists would be those of the build asked about; they are left empty.
    bool unchanged = false;
    uint64_t build = 0;  // the memory's number of this build

    bool Complete() const { return openError == 0 && enumerationError == 0; }
};

// The states of every Win32 service, as a build lists them; nothing when the manager cannot
// be asked or the enumeration ends early.
std::optional<ServiceStates> ReadServiceStates(platform::Platform& system);

class ServiceCatalogue {
public:
    explicit ServiceCatalogue(platform::Platform& system);

    StateList& List(ServiceTab tab) { return lists_[tab]; }
    const StateList& List(ServiceTab tab) const { return lists_[tab]; }

    // Empties the three lists and their image lists.
    void Clear();

    // What the lists keep of each listed service's key (ServiceKeyExtras), by its name; filled by
    // builds with a memory. Which services each depends on, and its description ("" for none).
    using Extras = std::map<std::string, ServiceKeyExtras>;
    std::map<std::string, std::vector<std::string>> DependsOnOf() const;
    const std::string& DescriptionOf(const std::string& serviceName) const;

    // Appends every Win32 service to the list of its state, then sorts the three lists.
    // defaultIcon stands in for an executable without an icon. With a memory, what has not
    // changed since its last build is not read again, and the lists are left empty when they
    // would be those of its build `shown` (none: the build before).
    BuildResult BuildServiceLists(platform::RawHandle defaultIcon, CatalogueMemory* memory = nullptr,
                                  std::optional<uint64_t> shown = std::nullopt);

    // The size of one enumeration request; the enumeration grows it only where the system
    // makes no progress with it.
    static constexpr uint32_t kEnumBufferSize = 9216;

private:
    void AddService(const std::string& serviceName, uint32_t currentState, platform::RawHandle defaultIcon,
                    ExecutableCache& cache, CatalogueMemory* memory, BuildResult& result);

    platform::Platform system_;
    std::array<StateList, 3> lists_;
    std::array<std::vector<FoundService>, 3> found_;  // the cache's or the default icon
    Extras extras_;
};

}  // namespace rondel

namespace rondel {

// The icons of "shell32.dll" in the system directory that stand for a driver and for a
// service whose executable has no icon.
inline constexpr uint32_t kDriverIconIndex = 0;
inline constexpr uint32_t kDefaultServiceIconIndex = 2;
platform::IconHandle LoadSystemIcon(platform::Platform& system, uint32_t index);

// A catalogue built from scratch, as a refresh hands it to the window: made and filled on the
// caller's thread, owning its lists and icons.
struct CatalogueBuild {
    std::unique_ptr<ServiceCatalogue> catalogue;
    BuildResult result;
};
// With a memory: no catalogue when the lists would be those of its build `shown` (none: the
// build before; result.unchanged).
CatalogueBuild BuildCatalogue(platform::Platform system, platform::RawHandle defaultIcon,
                              CatalogueMemory* memory = nullptr, std::optional<uint64_t> shown = std::nullopt);

// The catalogue as a script reads it: one line per listed service, the tab number (0 running,
// 1 paused, 2 stopped), a TAB and the list-item text as stored; tab 0's list first, then 1,
// then 2, each in its sorted order; lines ended by CR LF.
std::string FormatCatalogueListing(const ServiceCatalogue& catalogue);

}  // namespace rondel
