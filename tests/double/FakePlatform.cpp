#include "FakePlatform.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <utility>

namespace rondel::fake {

using namespace platform;

namespace {

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

bool EqualNoCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return LowerAscii(x) == LowerAscii(y); });
}

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(LowerAscii(x)) < static_cast<unsigned char>(LowerAscii(y));
    });
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

// ================================================================== processes

uint32_t FakeProcesses::Terminate(uint32_t processId) {
    Note();
    if (terminateError != 0) return terminateError;
    terminated.push_back(processId);
    if (onTerminate) onTerminate(processId);
    return 0;
}

// ================================================================== machine

FakeMachine::FakeMachine() {
    for (NotesCallers* part :
         std::initializer_list<NotesCallers*>{&services, &registry, &files, &shell, &environment, &atoms, &processes})
        part->callers = &callers;
    // The services of an ended process stop with it.
    processes.onTerminate = [this](uint32_t processId) {
        for (FakeService& service : services.services)
            if (service.processId == processId) service.currentState = kServiceStopped;
    };
    shell.iconResources[{"C:\\WINDOWS\\system32\\shell32.dll", 0}] = "driver";
    shell.iconResources[{"C:\\WINDOWS\\system32\\shell32.dll", 2}] = "default";
    registry.CreateKey("SYSTEM\\CurrentControlSet\\Services");
    services.onStartTypeChanged = [this](const std::string& name, uint32_t startType) {
        registry.SetDword(ServiceKey(name), "Start", startType);
    };
}

Platform FakeMachine::Platform() {
    return platform::Platform{services, registry, files, files, shell, environment, atoms, processes};
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
