// The in-memory machine's Service Control Manager and registry.
#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

#include "FakePlatform.h"

namespace rondel::fake {

using namespace platform;

// ================================================================== services

FakeService& FakeServices::Add(FakeService service) {
    services.push_back(std::move(service));
    return services.back();
}

FakeService* FakeServices::Find(const std::string& name) {
    for (auto& s : services)
        if (EqualNoCase(s.name, name)) return &s;
    return nullptr;
}

uint32_t FakeServices::RecordSize(const FakeService& service) {
    // Two pointers and a SERVICE_STATUS (16 + 28, aligned to 48), then both strings with NULs.
    return 48 + static_cast<uint32_t>(service.name.size() + 1 + service.displayName.size() + 1);
}

const FakeServices::Open* FakeServices::Lookup(RawHandle handle) const {
    const auto it = open_.find(handle);
    return it == open_.end() ? nullptr : &it->second;
}

ServiceHandle FakeServices::OpenManager(uint32_t access, uint32_t& error) {
    Note();
    if (openManagerError != 0) {
        error = openManagerError;
        return {};
    }
    if ((access & ~managerGrantedAccess) != 0) {
        error = kErrorAccessDenied;
        return {};
    }
    error = 0;
    const RawHandle h = next_++;
    open_[h] = Open{true, {}, access};
    return ServiceHandle(*this, h);
}

ServiceHandle FakeServices::OpenServiceByName(RawHandle manager, const std::string& serviceName,
                                        uint32_t access, uint32_t& error) {
    openedServices.push_back(serviceName);
    const Open* m = Lookup(manager);
    if (m == nullptr || !m->isManager) {
        error = kErrorInvalidHandle;
        return {};
    }
    const FakeService* s = Find(serviceName);
    if (s == nullptr) {
        error = kErrorServiceDoesNotExist;
        return {};
    }
    if ((access & ~s->grantedAccess) != 0) {
        error = kErrorAccessDenied;
        return {};
    }
    error = 0;
    const RawHandle h = next_++;
    open_[h] = Open{false, s->name, access};
    return ServiceHandle(*this, h);
}

bool FakeServices::Matches(const FakeService& service, uint32_t type, uint32_t state) {
    if ((service.serviceType & type) == 0) return false;
    const bool active = service.currentState != kServiceStopped;
    return ((state & kServiceActive) && active) || ((state & kServiceInactive) && !active);
}

ServiceEnumeration FakeServices::EnumerateServices(RawHandle manager, uint32_t serviceType,
                                                    uint32_t serviceState, uint32_t bufferSize,
                                                    uint32_t& resumeHandle) {
    enumBufferSizes.push_back(bufferSize);
    ServiceEnumeration result;
    const Open* m = Lookup(manager);
    if (m == nullptr || !m->isManager) {
        result.error = kErrorInvalidHandle;
        return result;
    }
    if (failAfterBatches && batches_ >= *failAfterBatches) {
        result.error = failLaterError;
        return result;
    }
    std::vector<const FakeService*> matching;
    for (const auto& s : services)
        if (Matches(s, serviceType, serviceState)) matching.push_back(&s);

    std::size_t index = resumeHandle;
    if (index > matching.size()) {
        result.error = kErrorInvalidParameter;
        return result;
    }
    uint32_t used = 0;
    std::size_t fitting = index;
    while (fitting < matching.size() && used + RecordSize(*matching[fitting]) <= bufferSize) {
        used += RecordSize(*matching[fitting]);
        ++fitting;
    }
    uint32_t remaining = 0;
    for (std::size_t i = fitting; i < matching.size(); ++i) remaining += RecordSize(*matching[i]);

    ++batches_;
    if (fitting == matching.size()) {
        for (std::size_t i = index; i < fitting; ++i)
            result.records.push_back({matching[i]->name, matching[i]->displayName,
                                      {matching[i]->serviceType, matching[i]->currentState,
                                       matching[i]->controlsAccepted, 0, 0, 0, 0}});
        resumeHandle = 0;
        return result;
    }
    result.error = kErrorMoreData;
    if (wineStylePaging) {
        uint32_t all = 0;
        for (const auto* s : matching) all += RecordSize(*s);
        result.bytesNeeded = all;
        for (std::size_t i = index; i < fitting; ++i) result.records.push_back({std::nullopt, std::nullopt, {}});
        return result;  // resume handle left as it was
    }
    for (std::size_t i = index; i < fitting; ++i)
        result.records.push_back({matching[i]->name, matching[i]->displayName,
                                  {matching[i]->serviceType, matching[i]->currentState,
                                   matching[i]->controlsAccepted, 0, 0, 0, 0}});
    result.bytesNeeded = remaining;
    resumeHandle = static_cast<uint32_t>(fitting);
    return result;
}

ServiceEnumeration FakeServices::EnumerateDependents(RawHandle service, uint32_t serviceState,
                                                       uint32_t bufferSize) {
    enumBufferSizes.push_back(bufferSize);
    ServiceEnumeration result;
    const Open* o = Lookup(service);
    if (o == nullptr || o->isManager) {
        result.error = kErrorInvalidHandle;
        return result;
    }
    if ((o->access & kServiceEnumerateDependents) == 0) {
        result.error = kErrorAccessDenied;
        return result;
    }
    const FakeService* s = Find(o->service);
    std::vector<const FakeService*> matching;
    for (const auto& name : s->dependents) {
        const FakeService* d = Find(name);
        if (d != nullptr && Matches(*d, kServiceWin32 | kServiceDriver, serviceState)) matching.push_back(d);
    }
    uint32_t total = 0;
    for (const auto* d : matching) total += RecordSize(*d);
    if (total > bufferSize) {
        result.error = kErrorMoreData;
        result.bytesNeeded = total;
        return result;
    }
    for (const auto* d : matching)
        result.records.push_back({d->name, d->displayName,
                                  {d->serviceType, d->currentState, d->controlsAccepted, 0, 0, 0, 0}});
    return result;
}

uint32_t FakeServices::QueryStatus(RawHandle service, ServiceStatus& status) {
    const Open* o = Lookup(service);
    if (o == nullptr || o->isManager) return kErrorInvalidHandle;
    if ((o->access & kServiceQueryStatus) == 0) return kErrorAccessDenied;
    FakeService* s = Find(o->service);
    if (onQueryStatus) onQueryStatus(*s);
    status = {s->serviceType, s->currentState, s->controlsAccepted, 0, 0, s->checkPoint, s->waitHint,
              s->currentState == kServiceStopped ? 0 : s->processId};
    return 0;
}

uint32_t FakeServices::Start(RawHandle service) {
    const Open* o = Lookup(service);
    if (o == nullptr || o->isManager) return kErrorInvalidHandle;
    controlsSent.emplace_back(o->service, 0);
    if ((o->access & kServiceStart) == 0) return kErrorAccessDenied;
    FakeService* s = Find(o->service);
    if (s->startError != 0) return s->startError;
    if (s->currentState != kServiceStopped) return kErrorServiceAlreadyRunning;
    s->currentState = kServiceRunning;
    return 0;
}

uint32_t FakeServices::Control(RawHandle service, uint32_t control, ServiceStatus& status) {
    const Open* o = Lookup(service);
    if (o == nullptr || o->isManager) return kErrorInvalidHandle;
    controlsSent.emplace_back(o->service, control);
    const uint32_t needed = control == kServiceControlStop ? kServiceStop : kServicePauseContinue;
    if ((o->access & needed) == 0) return kErrorAccessDenied;
    FakeService* s = Find(o->service);
    if (s->controlError != 0) return s->controlError;
    if (s->currentState == kServiceStopped) return kErrorServiceNotActive;
    const uint32_t accept = control == kServiceControlStop ? kServiceAcceptStop : kServiceAcceptPauseContinue;
    if ((s->controlsAccepted & accept) == 0) return kErrorInvalidServiceControl;
    if (control == kServiceControlStop) s->currentState = s->stopsTo;
    if (control == kServiceControlPause) s->currentState = kServicePaused;
    if (control == kServiceControlContinue) s->currentState = s->continuesTo;
    status = {s->serviceType, s->currentState, s->controlsAccepted, 0, 0, 0, 0};
    return 0;
}

uint32_t FakeServices::ChangeStartType(RawHandle service, uint32_t startType) {
    const Open* o = Lookup(service);
    if (o == nullptr || o->isManager) return kErrorInvalidHandle;
    if ((o->access & kServiceChangeConfig) == 0) return kErrorAccessDenied;
    if (changeConfigError != 0) return changeConfigError;
    if (startType == kServiceNoChange) return 0;
    if (startType > kServiceDisabled) return kErrorInvalidParameter;
    FakeService* s = Find(o->service);
    s->startType = startType;
    if (onStartTypeChanged) onStartTypeChanged(s->name, startType);
    return 0;
}

void FakeServices::CloseHandle(RawHandle handle) noexcept {
    const auto it = open_.find(handle);
    if (it == open_.end()) std::terminate();  // closing twice or closing a stranger
    closedHandles.push_back(it->second.isManager ? "manager" : it->second.service);
    open_.erase(it);
}

// ================================================================== registry

std::string FakeRegistry::FullPath(RawHandle root, const std::string& path) {
    std::string p = path;
    while (!p.empty() && p.back() == '\\') p.pop_back();
    return std::to_string(root) + (p.empty() ? "" : "\\" + p);
}

void FakeRegistry::Touch(const std::string& fullPath) {
    const auto key = keys_.find(fullPath);
    if (key != keys_.end()) key->second.lastWrite = changes_;
}

void FakeRegistry::CreateKey(const std::string& path, RawHandle root) {
    ++changes_;
    // Every key on the way exists too; a key made touches the one above it.
    std::string above = FullPath(root, "");
    keys_[above];
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = path.find('\\', start);
        const std::string p = path.substr(0, end == std::string::npos ? path.size() : end);
        if (!p.empty()) {
            const std::string full = FullPath(root, p);
            if (keys_.count(full) == 0) {
                keys_[full].lastWrite = changes_;
                Touch(above);
            }
            above = full;
        }
        if (end == std::string::npos) break;
        start = end + 1;
    }
}

void FakeRegistry::DeleteKey(const std::string& path, RawHandle root) {
    ++changes_;
    const std::string full = FullPath(root, path);
    for (auto it = keys_.begin(); it != keys_.end();) {
        const bool below = EqualNoCase(it->first, full) ||
                           (it->first.size() > full.size() && EqualNoCase(it->first.substr(0, full.size() + 1), full + "\\"));
        it = below ? keys_.erase(it) : std::next(it);
    }
    Touch(full.substr(0, full.rfind('\\')));
}

bool FakeRegistry::KeyExists(const std::string& path, RawHandle root) const {
    return keys_.count(FullPath(root, path)) != 0;
}

void FakeRegistry::SetValue(const std::string& path, const std::string& name, uint32_t type,
                            std::vector<uint8_t> bytes, RawHandle root) {
    CreateKey(path, root);
    keys_[FullPath(root, path)].values[name] = RegistryData{type, std::move(bytes)};
    Touch(FullPath(root, path));
}

void FakeRegistry::SetString(const std::string& path, const std::string& name, const std::string& text,
                             uint32_t type, RawHandle root) {
    std::vector<uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    SetValue(path, name, type, std::move(bytes), root);
}

void FakeRegistry::SetDword(const std::string& path, const std::string& name, uint32_t value, RawHandle root) {
    SetValue(path, name, kRegDword,
             {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16), uint8_t(value >> 24)}, root);
}

void FakeRegistry::SetMultiString(const std::string& path, const std::string& name,
                                  const std::vector<std::string>& texts, RawHandle root) {
    std::vector<uint8_t> bytes;
    for (const auto& t : texts) {
        bytes.insert(bytes.end(), t.begin(), t.end());
        bytes.push_back(0);
    }
    bytes.push_back(0);
    SetValue(path, name, kRegMultiSz, std::move(bytes), root);
}

void FakeRegistry::DeleteValue(const std::string& path, const std::string& name, RawHandle root) {
    ++changes_;
    const auto it = keys_.find(FullPath(root, path));
    if (it != keys_.end()) it->second.values.erase(name);
    Touch(FullPath(root, path));
}

std::optional<RegistryData> FakeRegistry::Value(const std::string& path, const std::string& name,
                                                RawHandle root) const {
    const auto it = keys_.find(FullPath(root, path));
    if (it == keys_.end()) return std::nullopt;
    const auto v = it->second.values.find(name);
    if (v == it->second.values.end()) return std::nullopt;
    return v->second;
}

void FakeRegistry::LimitAccess(const std::string& path, uint32_t grantedAccess, RawHandle root) {
    CreateKey(path, root);
    keys_[FullPath(root, path)].grantedAccess = grantedAccess;
}

RegistryKeyHandle FakeRegistry::OpenKey(RawHandle root, const std::string& subKey, uint32_t access,
                                        uint32_t& error) {
    Note();
    openAccessRequests.push_back(access);
    const auto it = keys_.find(FullPath(root, subKey));
    if (it == keys_.end()) {
        error = kErrorFileNotFound;
        return {};
    }
    if ((access & ~it->second.grantedAccess) != 0) {
        error = kErrorAccessDenied;
        return {};
    }
    error = 0;
    const RawHandle h = next_++;
    open_[h] = it->first;
    return RegistryKeyHandle(*this, h);
}

uint32_t FakeRegistry::QueryValue(RawHandle key, const std::string& name, RegistryData& data) {
    const auto o = open_.find(key);
    if (o == open_.end()) return kErrorInvalidHandle;
    const auto k = keys_.find(o->second);
    if (k == keys_.end()) return 1018;  // ERROR_KEY_DELETED
    const auto v = k->second.values.find(name);
    if (v == k->second.values.end()) return kErrorFileNotFound;
    data = v->second;
    return 0;
}

uint32_t FakeRegistry::SetValue(RawHandle key, const std::string& name, uint32_t type,
                                std::span<const uint8_t> bytes) {
    const auto o = open_.find(key);
    if (o == open_.end()) return kErrorInvalidHandle;
    if (setValueError != 0) return setValueError;
    keys_[o->second].values[name] = RegistryData{type, {bytes.begin(), bytes.end()}};
    ++changes_;
    Touch(o->second);
    return 0;
}

std::unique_ptr<platform::IKeyWatch> FakeRegistry::WatchKey(RawHandle, const std::string&) {
    Note();
    class Watch final : public platform::IKeyWatch {
    public:
        explicit Watch(const uint64_t& changes) : changes_(changes), seen_(changes) {}
        bool Changed() override { return std::exchange(seen_, changes_) != changes_; }

    private:
        const uint64_t& changes_;
        uint64_t seen_;
    };
    return std::make_unique<Watch>(changes_);
}

std::optional<std::vector<platform::KeyStamp>> FakeRegistry::SubKeyStamps(RawHandle root, const std::string& subKey) {
    Note();
    const std::string full = FullPath(root, subKey);
    if (keys_.count(full) == 0) return std::nullopt;
    std::vector<platform::KeyStamp> stamps;
    for (const auto& [path, key] : keys_) {
        if (path.size() <= full.size() + 1 || !EqualNoCase(path.substr(0, full.size() + 1), full + "\\")) continue;
        const std::string name = path.substr(full.size() + 1);
        if (name.find('\\') == std::string::npos) stamps.push_back({name, key.lastWrite});
    }
    return stamps;
}

void FakeRegistry::CloseHandle(RawHandle handle) noexcept {
    if (open_.erase(handle) == 0) std::terminate();
}

}  // namespace rondel::fake
