// TForm1 follows the services: every half second its watcher asks the manager for the states
// of the services (on a worker of its own), and when they are not those the lists were read as
// (a service stopped from a script, crashed, started by a trigger, added or removed), the lists
// are read again (FollowServices, one of the window's requests). Nothing is asked while a
// request of the user's is under way, which reads the lists itself.
#include <algorithm>

#include "catalogue/RegistryKey.h"
#include "ui/Unit1.h"

namespace rondel {

using Task = TWorker::Task;
using News = TWorker::News;

unsigned ReadWatchInterval(platform::Platform& system) {
    constexpr unsigned kDefault = 500;
    try {
        RegistryKey key(system.registry, platform::kHkeyCurrentUser);
        if (!key.OpenKey("\\Software\\Rondel", platform::kKeyRead) || !key.ValueExists("WatchInterval")) return kDefault;
        const auto ms = static_cast<uint32_t>(key.ReadInteger("WatchInterval"));
        return ms == 0 ? 0 : std::clamp(ms, 250u, 60000u);
    } catch (const RegistryError&) {
        return kDefault;  // a value of another kind: as if there were none
    }
}

void TForm1::WatchServices() {
    if (model_.Busy() || watcher_.Busy() || !listedStates_) return;
    watcher_.Start([this, system = system_, basis = listedStates_](const News&) mutable -> Task {
        auto states = std::make_shared<const std::optional<ServiceStates>>(ReadServiceStates(system));
        return [this, states, basis] {
            // Compared with what the lists shown were read as; a manager that cannot answer
            // now changes nothing.
            if (basis == listedStates_ && states->has_value() && **states != *basis) FollowServices();
        };
    });
}

}  // namespace rondel
