#include "FakePlatform.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace rondel::fake {

using namespace platform;

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

}  // namespace

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(LowerAscii(x)) < static_cast<unsigned char>(LowerAscii(y));
    });
}

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
    status = {s->serviceType, s->currentState, s->controlsAccepted, 0, 0, s->checkPoint, s->waitHint};
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
    if (control == kServiceControlContinue) s->currentState = kServiceRunning;
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

// ================================================================== files

std::string FakeFileSystem::Absolute(const std::string& path) const {
    const bool hasDrive = path.size() >= 2 && path[1] == ':';
    if (hasDrive) return path;
    if (!path.empty() && path[0] == '\\') return currentDirectory.substr(0, 2) + path;
    return currentDirectory + "\\" + path;
}

FakeFile& FakeFileSystem::AddFile(const std::string& path, FakeFile file) {
    return files_[Absolute(path)] = std::move(file);
}

void FakeFileSystem::AddDirectory(const std::string& path) { directories_.insert(Absolute(path)); }

const FakeFile* FakeFileSystem::Find(const std::string& path) const {
    if (path.empty()) return nullptr;
    const auto it = files_.find(Absolute(path));
    return it == files_.end() ? nullptr : &it->second;
}

bool FakeFileSystem::FileExists(const std::string& path) {
    Note();
    existsQueries.push_back(path);
    return Find(path) != nullptr;
}

namespace {
constexpr char kBlockMagic[8] = {'F', 'A', 'K', 'E', 'V', 'E', 'R', '1'};
constexpr uint32_t kBlockSize = 64;
}  // namespace

std::optional<platform::FileStamp> FakeFileSystem::StampOf(const std::string& path) {
    Note();
    const FakeFile* f = Find(path);
    return f != nullptr ? std::optional<platform::FileStamp>(platform::FileStamp{0, f->lastWrite}) : std::nullopt;
}

uint32_t FakeFileSystem::WriteWholeFile(const std::string& file, const std::string& bytes) {
    Note();
    if (writeError != 0) return writeError;
    written[file] = bytes;
    AddFile(file);
    return 0;
}

uint32_t FakeFileSystem::VersionInfoSize(const std::string& file) {
    Note();
    versionQueries.push_back(file);
    const FakeFile* f = Find(file);
    return (f != nullptr && f->version) ? kBlockSize : 0;
}

bool FakeFileSystem::ReadVersionInfo(const std::string& file, std::span<uint8_t> block) {
    const FakeFile* f = Find(file);
    if (f == nullptr || !f->version || block.size() < kBlockSize) return false;
    std::fill(block.begin(), block.end(), uint8_t{0});
    std::memcpy(block.data(), kBlockMagic, sizeof kBlockMagic);
    const auto index = static_cast<uint32_t>(blockOwners_.size());
    blockOwners_.push_back(Absolute(file));
    std::memcpy(block.data() + 8, &index, sizeof index);
    return true;
}

const FakeVersionInfo* FakeFileSystem::VersionOfBlock(std::span<const uint8_t> block) const {
    if (block.size() < kBlockSize || std::memcmp(block.data(), kBlockMagic, sizeof kBlockMagic) != 0)
        throw std::logic_error("not a version block of this machine");
    uint32_t index = 0;
    std::memcpy(&index, block.data() + 8, sizeof index);
    const FakeFile* f = Find(blockOwners_.at(index));
    return f != nullptr && f->version ? &*f->version : nullptr;
}

std::optional<std::vector<uint32_t>> FakeFileSystem::QueryTranslations(std::span<const uint8_t> block) {
    const FakeVersionInfo* v = VersionOfBlock(block);
    if (v == nullptr || !v->translations || v->translations->empty()) return std::nullopt;
    return v->translations;
}

std::optional<std::string> FakeFileSystem::QueryString(std::span<const uint8_t> block,
                                                       const std::string& subBlock) {
    const FakeVersionInfo* v = VersionOfBlock(block);
    // "\StringFileInfo\LLLLCCCC\Key", matched without regard to case.
    const std::string head = "\\StringFileInfo\\";
    if (v == nullptr || subBlock.size() < head.size() + 10 || !EqualNoCase(subBlock.substr(0, head.size()), head))
        return std::nullopt;
    const std::string table = subBlock.substr(head.size(), 8);
    if (subBlock[head.size() + 8] != '\\') return std::nullopt;
    const std::string key = subBlock.substr(head.size() + 9);
    const auto t = v->tables.find(table);
    if (t == v->tables.end()) return std::nullopt;
    for (const auto& [k, value] : t->second)
        if (EqualNoCase(k, key)) return value.substr(0, value.find('\0'));
    return std::nullopt;
}

// ================================================================== shell

IconHandle FakeShell::MakeIcon(const std::string& picture) {
    const RawHandle h = next_++;
    icons_[h] = picture;
    return IconHandle(*this, h);
}

std::string FakeShell::PictureOf(RawHandle icon) const {
    const auto it = icons_.find(icon);
    return it == icons_.end() ? std::string() : it->second;
}

IconHandle FakeShell::AssociatedIcon(const std::string& path) {
    Note();
    associatedIconQueries.push_back(path);
    const FakeFile* f = files_.Find(path);
    if (f == nullptr || !f->icon) return {};
    return MakeIcon(*f->icon);
}

IconHandle FakeShell::IconOfFile(const std::string& file, uint32_t index) {
    Note();
    for (const auto& [key, picture] : iconResources)
        if (key.second == index && EqualNoCase(key.first, file)) return MakeIcon(picture);
    return {};
}

IconHandle FakeShell::CopyIcon(RawHandle icon) {
    const auto it = icons_.find(icon);
    if (it == icons_.end()) return {};
    return MakeIcon(it->second);
}

std::unique_ptr<IImageList> FakeShell::CreateImageList(int width, int height) {
    Note();
    return std::make_unique<FakeImageList>(*this, width, height);
}

uint32_t FakeShell::Execute(const std::string& commandLine, int showCommand) {
    Note();
    executed.emplace_back(commandLine, showCommand);
    return executeResult;
}

bool FakeShell::OpenDocument(const std::string& document) {
    Note();
    openedDocuments.push_back(document);
    return true;
}

std::optional<std::string> FakeShell::LoadIndirectString(const std::string& reference) {
    Note();
    const auto it = indirectStrings.find(reference);
    if (it == indirectStrings.end()) return std::nullopt;
    return it->second;
}

void FakeShell::CloseHandle(RawHandle handle) noexcept {
    if (icons_.erase(handle) == 0) std::terminate();
}

int FakeImageList::AddIcon(RawHandle icon) {
    pictures_.push_back(shell_.PictureOf(icon));
    return Count() - 1;
}

bool FakeImageList::ReplaceIcon(int index, RawHandle icon) {
    if (index < 0 || index >= Count()) return false;
    pictures_[static_cast<std::size_t>(index)] = shell_.PictureOf(icon);
    return true;
}

IconHandle FakeImageList::GetIcon(int index) {
    if (index < 0 || index >= Count()) return {};
    return shell_.MakeIcon(pictures_[static_cast<std::size_t>(index)]);
}

// ================================================================== environment and atoms

std::optional<std::string> FakeEnvironment::Variable(const std::string& name) {
    Note();
    if (name.empty()) return std::nullopt;
    const auto it = variables.find(name);
    if (it == variables.end()) return std::nullopt;
    return it->second;
}

uint16_t FakeAtomTable::FindGlobalAtom(const std::string& name) {
    Note();
    const auto it = atoms_.find(name);
    return it == atoms_.end() ? 0 : it->second.value;
}

uint16_t FakeAtomTable::AddGlobalAtom(const std::string& name) {
    Note();
    if (refuseAdd) return 0;
    auto it = atoms_.find(name);
    if (it != atoms_.end()) {
        ++it->second.references;
        return it->second.value;
    }
    const uint16_t value = next_++;
    atoms_[name] = Atom{value, 1};
    return value;
}

void FakeAtomTable::DeleteGlobalAtom(uint16_t atom) {
    Note();
    for (auto it = atoms_.begin(); it != atoms_.end(); ++it) {
        if (it->second.value == atom) {
            if (--it->second.references == 0) atoms_.erase(it);
            return;
        }
    }
}

int FakeAtomTable::References(const std::string& name) const {
    const auto it = atoms_.find(name);
    return it == atoms_.end() ? 0 : it->second.references;
}

// ================================================================== machine

FakeMachine::FakeMachine() {
    for (NotesCallers* part : std::initializer_list<NotesCallers*>{&services, &registry, &files, &shell, &environment, &atoms})
        part->callers = &callers;
    shell.iconResources[{"C:\\WINDOWS\\system32\\shell32.dll", 0}] = "driver";
    shell.iconResources[{"C:\\WINDOWS\\system32\\shell32.dll", 2}] = "default";
    registry.CreateKey("SYSTEM\\CurrentControlSet\\Services");
    services.onStartTypeChanged = [this](const std::string& name, uint32_t startType) {
        registry.SetDword(ServiceKey(name), "Start", startType);
    };
}

Platform FakeMachine::Platform() {
    return platform::Platform{services, registry, files, files, shell, environment, atoms};
}

std::string FakeMachine::ServiceKey(const std::string& name) {
    return "SYSTEM\\CurrentControlSet\\Services\\" + name;
}

FakeService& FakeMachine::AddService(const std::string& name, const std::string& displayName,
                                     const std::string& imagePath, uint32_t state, uint32_t type) {
    FakeService s;
    s.name = name;
    s.displayName = displayName;
    s.serviceType = type;
    s.currentState = state;
    s.controlsAccepted = state == kServiceStopped ? 0 : (kServiceAcceptStop | kServiceAcceptPauseContinue);
    const std::string key = ServiceKey(name);
    registry.SetString(key, "DisplayName", displayName);
    registry.SetDword(key, "Type", type);
    registry.SetString(key, "ImagePath", imagePath, kRegExpandSz);
    registry.SetDword(key, "Start", s.startType);
    return services.Add(std::move(s));
}

}  // namespace rondel::fake
