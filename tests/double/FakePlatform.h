// An in-memory machine behind the platform seam, for the logic tests.
//
// It behaves as Windows documents it: error codes, ERROR_MORE_DATA paging with a resume
// handle, states outside 1 to 7, dependents, registry values of every type and size, files
// with and without version resources, icons and image lists. It can also be told to behave
// as Wine 8 does where Wine differs (see FakeServices::wineStylePaging).
// Every handle it gives out is counted, so a test can check that all were closed.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/Platform.h"

namespace rondel::fake {

using platform::RawHandle;

// Case-insensitive (ASCII) equality and ordering, as Windows compares names of services, keys
// and files.
bool EqualNoCase(const std::string& a, const std::string& b);
struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

// The threads that have called into the machine: each part notes the caller of the calls that
// begin any use of it (opening the manager or a key, asking about a file, an icon, a variable...).
class CallingThreads {
public:
    void Note() {
        const std::lock_guard<std::mutex> locked(lock_);
        seen_.insert(std::this_thread::get_id());
    }
    std::set<std::thread::id> Seen() const {
        const std::lock_guard<std::mutex> locked(lock_);
        return seen_;
    }

private:
    mutable std::mutex lock_;
    std::set<std::thread::id> seen_;
};

// A part of the machine that notes its callers.
class NotesCallers {
public:
    CallingThreads* callers = nullptr;

protected:
    void Note() const {
        if (callers != nullptr) callers->Note();
    }
};

// ------------------------------------------------------------------ services

struct FakeService {
    std::string name;
    std::string displayName;  // what the SCM reports; the registry may hold another text
    uint32_t serviceType = platform::kServiceWin32OwnProcess;
    uint32_t currentState = platform::kServiceStopped;
    uint32_t controlsAccepted = 0;
    std::vector<std::string> dependents;  // names of the services that depend on this one
    uint32_t startError = 0;              // what StartService answers (0: success)
    uint32_t controlError = 0;            // what ControlService answers (0: success)
    uint32_t startType = platform::kServiceDemandStart;
    // The state a stop request leaves it in (kServiceStopPending: a service slow to stop), and
    // the check point and wait hint its status reports.
    uint32_t stopsTo = platform::kServiceStopped;
    uint32_t continuesTo = platform::kServiceRunning;  // kServiceContinuePending: slow to continue
    uint32_t checkPoint = 0;
    uint32_t waitHint = 0;
    uint32_t processId = 0;  // reported while it is not stopped
    // Rights OpenService grants on this service; asking for more is refused (ERROR_ACCESS_DENIED),
    // as Windows does for protected services.
    uint32_t grantedAccess = 0xFFFFFFFFu;
};

class FakeServices : public platform::IServiceControlManager, public NotesCallers {
public:
    std::deque<FakeService> services;  // in the order the SCM enumerates them (references stay valid)

    uint32_t openManagerError = 0;  // e.g. ERROR_ACCESS_DENIED
    // Rights OpenSCManager grants; asking for more is refused (ERROR_ACCESS_DENIED).
    uint32_t managerGrantedAccess = 0xFFFFFFFFu;
    uint32_t changeConfigError = 0;  // what ChangeServiceConfig answers when not 0
    // Like the real manager, a changed start type is written to the service's key ("Start");
    // FakeMachine connects this to its registry.
    std::function<void(const std::string& serviceName, uint32_t startType)> onStartTypeChanged;
    // Runs before each status query: a test's service moves on here.
    std::function<void(FakeService&)> onQueryStatus;
    // Wine 8: a request whose records do not all fit answers ERROR_MORE_DATA with a count but
    // null names, reports the bytes needed for everything, and never advances the resume handle.
    bool wineStylePaging = false;
    // After this many successful batches every further enumeration fails with failLaterError.
    std::optional<int> failAfterBatches;
    uint32_t failLaterError = platform::kErrorAccessDenied;

    // What the requests were.
    std::vector<uint32_t> enumBufferSizes;
    std::vector<std::string> openedServices;
    std::vector<std::pair<std::string, uint32_t>> controlsSent;  // (service, control); start = 0
    std::vector<std::string> closedHandles;  // "manager" or the service's name, in closing order

    FakeService& Add(FakeService service);
    FakeService* Find(const std::string& name);
    int OpenHandles() const { return static_cast<int>(open_.size()); }

    // The bytes one record takes in an ENUM_SERVICE_STATUSA buffer on x64.
    static uint32_t RecordSize(const FakeService& service);

    platform::ServiceHandle OpenManager(uint32_t access, uint32_t& error) override;
    platform::ServiceHandle OpenServiceByName(RawHandle manager, const std::string& serviceName,
                                        uint32_t access, uint32_t& error) override;
    platform::ServiceEnumeration EnumerateServices(RawHandle manager, uint32_t serviceType,
                                                    uint32_t serviceState, uint32_t bufferSize,
                                                    uint32_t& resumeHandle) override;
    platform::ServiceEnumeration EnumerateDependents(RawHandle service, uint32_t serviceState,
                                                       uint32_t bufferSize) override;
    uint32_t QueryStatus(RawHandle service, platform::ServiceStatus& status) override;
    uint32_t Start(RawHandle service) override;
    uint32_t Control(RawHandle service, uint32_t control,
                            platform::ServiceStatus& status) override;
    uint32_t ChangeStartType(RawHandle service, uint32_t startType) override;
    void CloseHandle(RawHandle handle) noexcept override;

private:
    struct Open {
        bool isManager = false;
        std::string service;
        uint32_t access = 0;
    };
    const Open* Lookup(RawHandle handle) const;
    static bool Matches(const FakeService& service, uint32_t type, uint32_t state);
    std::map<RawHandle, Open> open_;
    RawHandle next_ = 0x1000;
    int batches_ = 0;
};

// ------------------------------------------------------------------ registry

class FakeRegistry : public platform::IRegistry, public NotesCallers {
public:
    // Paths are written without the root and without a leading backslash.
    void CreateKey(const std::string& path, RawHandle root = platform::kHkeyLocalMachine);
    void DeleteKey(const std::string& path, RawHandle root = platform::kHkeyLocalMachine);
    bool KeyExists(const std::string& path, RawHandle root = platform::kHkeyLocalMachine) const;
    // Creates the key when needed.
    void SetValue(const std::string& path, const std::string& name, uint32_t type,
                  std::vector<uint8_t> bytes, RawHandle root = platform::kHkeyLocalMachine);
    void SetString(const std::string& path, const std::string& name, const std::string& text,
                   uint32_t type = platform::kRegSz, RawHandle root = platform::kHkeyLocalMachine);
    void SetDword(const std::string& path, const std::string& name, uint32_t value,
                  RawHandle root = platform::kHkeyLocalMachine);
    void SetMultiString(const std::string& path, const std::string& name,
                        const std::vector<std::string>& texts,
                        RawHandle root = platform::kHkeyLocalMachine);
    void DeleteValue(const std::string& path, const std::string& name,
                     RawHandle root = platform::kHkeyLocalMachine);
    std::optional<platform::RegistryData> Value(const std::string& path, const std::string& name,
                                                RawHandle root = platform::kHkeyLocalMachine) const;
    // Access rights that OpenKey grants on this key (default: everything).
    void LimitAccess(const std::string& path, uint32_t grantedAccess,
                     RawHandle root = platform::kHkeyLocalMachine);
    // Every SetValue through the interface fails with this error.
    uint32_t setValueError = 0;

    int OpenHandles() const { return static_cast<int>(open_.size()); }
    std::vector<uint32_t> openAccessRequests;  // the access of every OpenKey call

    platform::RegistryKeyHandle OpenKey(RawHandle root, const std::string& subKey, uint32_t access,
                                        uint32_t& error) override;
    uint32_t QueryValue(RawHandle key, const std::string& name,
                        platform::RegistryData& data) override;
    uint32_t SetValue(RawHandle key, const std::string& name, uint32_t type,
                      std::span<const uint8_t> bytes) override;
    // Sees every change anywhere in the registry.
    std::unique_ptr<platform::IKeyWatch> WatchKey(RawHandle root, const std::string& subKey) override;
    // The count of changes at a sub-key's last change stands for its last-write time.
    std::optional<std::vector<platform::KeyStamp>> SubKeyStamps(RawHandle root, const std::string& subKey) override;
    void CloseHandle(RawHandle handle) noexcept override;

private:
    uint64_t changes_ = 0;  // every key made or deleted and value set or deleted
    struct Key {
        std::map<std::string, platform::RegistryData, NoCaseLess> values;
        uint32_t grantedAccess = 0xFFFFFFFFu;
        uint64_t lastWrite = 0;
    };
    static std::string FullPath(RawHandle root, const std::string& path);
    // A change of the key's own values, or of the keys right below it.
    void Touch(const std::string& fullPath);
    std::map<std::string, Key, NoCaseLess> keys_;
    std::map<RawHandle, std::string> open_;
    RawHandle next_ = 0x2000;
};

// ------------------------------------------------------------------ files and version resources

struct FakeVersionInfo {
    // nullopt: the block has no "\VarFileInfo\Translation".
    std::optional<std::vector<uint32_t>> translations = std::vector<uint32_t>{0x04B00411};
    // String tables by "LLLLCCCC" (language and code page in hexadecimal), then key to value.
    std::map<std::string, std::map<std::string, std::string>, NoCaseLess> tables;
};

struct FakeFile {
    std::optional<FakeVersionInfo> version;
    std::optional<std::string> icon;  // the picture of its first icon; nullopt: no icons
    uint64_t lastWrite = 0;           // its stamp's; its size is 0
};

class FakeFileSystem : public platform::IFileSystem, public platform::IVersionInfo, public NotesCallers {
public:
    std::string currentDirectory = "C:\\work";
    std::string moduleFileName = "C:\\Program Files\\Rondel\\Rondel.exe";

    FakeFile& AddFile(const std::string& path, FakeFile file = {});
    void AddDirectory(const std::string& path);
    const FakeFile* Find(const std::string& path) const;
    std::vector<std::string> existsQueries;  // every path FileExists was asked about
    std::vector<std::string> versionQueries;  // every file whose version block was read

    bool FileExists(const std::string& path) override;
    std::string ModuleFileName() override {
        Note();
        return moduleFileName;
    }
    std::optional<platform::FileStamp> StampOf(const std::string& path) override;
    // Kept as a file without version or icon; writeError refuses every write.
    uint32_t WriteWholeFile(const std::string& file, const std::string& bytes) override;
    std::map<std::string, std::string, NoCaseLess> written;  // what each file was last written with
    uint32_t writeError = 0;

    uint32_t VersionInfoSize(const std::string& file) override;
    bool ReadVersionInfo(const std::string& file, std::span<uint8_t> block) override;
    std::optional<std::vector<uint32_t>> QueryTranslations(std::span<const uint8_t> block) override;
    std::optional<std::string> QueryString(std::span<const uint8_t> block,
                                           const std::string& subBlock) override;

private:
    std::string Absolute(const std::string& path) const;
    const FakeVersionInfo* VersionOfBlock(std::span<const uint8_t> block) const;
    std::map<std::string, FakeFile, NoCaseLess> files_;
    std::set<std::string, NoCaseLess> directories_;
    std::vector<std::string> blockOwners_;  // a block names its file by index
};

// ------------------------------------------------------------------ shell

class FakeShell;

class FakeImageList : public platform::IImageList {
public:
    FakeImageList(FakeShell& shell, int width, int height) : shell_(shell), width_(width), height_(height) {}
    int Count() const override { return static_cast<int>(pictures_.size()); }
    int AddIcon(RawHandle icon) override;
    bool ReplaceIcon(int index, RawHandle icon) override;
    platform::IconHandle GetIcon(int index) override;
    void Clear() override { pictures_.clear(); }
    RawHandle NativeHandle() const override { return 0; }

    const std::vector<std::string>& Pictures() const { return pictures_; }
    int Width() const { return width_; }
    int Height() const { return height_; }

private:
    FakeShell& shell_;
    int width_;
    int height_;
    std::vector<std::string> pictures_;
};

class FakeShell : public platform::IShell, public NotesCallers {
public:
    explicit FakeShell(FakeFileSystem& files) : files_(files) {}

    // Icons of files that are not in the file system's list, by path and index (shell32.dll).
    std::map<std::pair<std::string, uint32_t>, std::string> iconResources;
    std::map<std::string, std::string> indirectStrings;  // "@file,-id" to its text
    std::vector<std::string> associatedIconQueries;      // every path ExtractAssociatedIcon got

    platform::IconHandle MakeIcon(const std::string& picture);
    std::string PictureOf(RawHandle icon) const;  // "" for no or an unknown icon
    int LiveIcons() const { return static_cast<int>(icons_.size()); }

    platform::IconHandle AssociatedIcon(const std::string& path) override;
    platform::IconHandle IconOfFile(const std::string& file, uint32_t index) override;
    platform::IconHandle CopyIcon(RawHandle icon) override;
    std::unique_ptr<platform::IImageList> CreateImageList(int width, int height) override;
    std::optional<std::string> LoadIndirectString(const std::string& reference) override;
    // Nothing is started: the requests are written down, and answered with executeResult.
    uint32_t Execute(const std::string& commandLine, int showCommand) override;
    bool OpenDocument(const std::string& document) override;
    void CloseHandle(RawHandle handle) noexcept override;

    uint32_t executeResult = 2;  // ERROR_FILE_NOT_FOUND: nothing started
    std::vector<std::pair<std::string, int>> executed;
    std::vector<std::string> openedDocuments;

private:
    FakeFileSystem& files_;
    std::map<RawHandle, std::string> icons_;
    RawHandle next_ = 0x3000;
};

// ------------------------------------------------------------------ environment and atoms

class FakeEnvironment : public platform::IEnvironment, public NotesCallers {
public:
    std::map<std::string, std::string, NoCaseLess> variables{{"SystemRoot", "C:\\WINDOWS"}};
    std::string systemDirectory = "C:\\WINDOWS\\system32";

    std::optional<std::string> Variable(const std::string& name) override;
    std::string SystemDirectory() override {
        Note();
        return systemDirectory;
    }
    // "message N" for every code.
    std::string ErrorMessage(uint32_t errorCode) override {
        Note();
        return "message " + std::to_string(errorCode);
    }
};

class FakeAtomTable : public platform::IAtomTable, public NotesCallers {
public:
    bool refuseAdd = false;
    uint16_t FindGlobalAtom(const std::string& name) override;
    uint16_t AddGlobalAtom(const std::string& name) override;
    void DeleteGlobalAtom(uint16_t atom) override;
    int References(const std::string& name) const;

private:
    struct Atom {
        uint16_t value;
        int references;
    };
    std::map<std::string, Atom, NoCaseLess> atoms_;
    uint16_t next_ = 0xC000;
};

// ------------------------------------------------------------------ processes

class FakeProcesses : public platform::IProcesses, public NotesCallers {
public:
    uint32_t currentProcessId = 100;
    uint32_t managerProcessId = 200;
    uint32_t terminateError = 0;
    std::vector<uint32_t> terminated;
    // What ending a process does to the machine (its services stop).
    std::function<void(uint32_t processId)> onTerminate;

    uint32_t CurrentProcessId() override {
        Note();
        return currentProcessId;
    }
    uint32_t ManagerProcessId() override {
        Note();
        return managerProcessId;
    }
    uint32_t Terminate(uint32_t processId) override;
};

// ------------------------------------------------------------------ the whole machine

class FakeMachine {
public:
    FakeMachine();
    // The parts refer to each other: a copy would refer to the original's.
    FakeMachine(const FakeMachine&) = delete;
    FakeMachine& operator=(const FakeMachine&) = delete;

    FakeServices services;
    FakeRegistry registry;
    FakeFileSystem files;
    FakeShell shell{files};
    FakeEnvironment environment;
    FakeAtomTable atoms;
    FakeProcesses processes;

    platform::Platform Platform();
    // Who has called into the machine.
    CallingThreads callers;

    // Registers a service with the SCM and gives it a registry key with DisplayName, Type and
    // ImagePath (REG_EXPAND_SZ), as CreateService does.
    FakeService& AddService(const std::string& name, const std::string& displayName,
                            const std::string& imagePath, uint32_t state = platform::kServiceStopped,
                            uint32_t type = platform::kServiceWin32OwnProcess);
    static std::string ServiceKey(const std::string& name);  // SYSTEM\CurrentControlSet\Services\<name>
};

}  // namespace rondel::fake
