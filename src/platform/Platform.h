// The seam between Rondel's logic and the operating system.
//
// Everything the catalogue, the control commands and the utilities ask of Windows goes through
// these small interfaces, in plain C++ types: strings hold code-page-932 bytes, handles are
// opaque integers owned by move-only handle objects, and every call that Windows can refuse
// returns the system's error code (0 for success) instead of leaving it in a thread-global.
// Win32Platform implements them over the real API; tests/double has an in-memory machine.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/PlatformHandle.h"
#include "platform/WinConstants.h"

namespace rondel::platform {

// ---------------------------------------------------------------- Service Control Manager

// SERVICE_STATUS, field for field, and the process the service runs in (SERVICE_STATUS_PROCESS's
// dwProcessId: 0 when it runs in none, or when the answer did not say).
struct ServiceStatus {
    uint32_t serviceType = 0;
    uint32_t currentState = 0;
    uint32_t controlsAccepted = 0;
    uint32_t win32ExitCode = 0;
    uint32_t serviceSpecificExitCode = 0;
    uint32_t checkPoint = 0;
    uint32_t waitHint = 0;
    uint32_t processId = 0;
    bool operator==(const ServiceStatus&) const = default;
};

// One ENUM_SERVICE_STATUSA record. A name the system left null stays empty here.
struct ServiceStatusRecord {
    std::optional<std::string> serviceName;
    std::optional<std::string> displayName;
    ServiceStatus status;
};

// The outcome of one enumeration request with a buffer of a given size.
struct ServiceEnumeration {
    uint32_t error = 0;        // 0 when the call succeeded, else e.g. ERROR_MORE_DATA
    uint32_t bytesNeeded = 0;  // what the call reported as needed (pcbBytesNeeded)
    std::vector<ServiceStatusRecord> records;  // the records it returned (lpServicesReturned)
};

class IServiceControlManager : public HandleCloser {
public:
    virtual ServiceHandle OpenManager(uint32_t access, uint32_t& error) = 0;
    virtual ServiceHandle OpenServiceByName(RawHandle manager, const std::string& serviceName,
                                       uint32_t access, uint32_t& error) = 0;
    // EnumServicesStatusA with a zero-filled buffer of bufferSize bytes; resumeHandle in/out.
    virtual ServiceEnumeration EnumerateServices(RawHandle manager, uint32_t serviceType,
                                                  uint32_t serviceState, uint32_t bufferSize,
                                                  uint32_t& resumeHandle) = 0;
    // EnumDependentServicesA with a zero-filled buffer of bufferSize bytes.
    virtual ServiceEnumeration EnumerateDependents(RawHandle service, uint32_t serviceState,
                                                     uint32_t bufferSize) = 0;
    // QueryServiceStatusEx with SC_STATUS_PROCESS_INFO: the status and its process.
    virtual uint32_t QueryStatus(RawHandle service, ServiceStatus& status) = 0;
    // StartServiceA with no arguments.
    virtual uint32_t Start(RawHandle service) = 0;
    virtual uint32_t Control(RawHandle service, uint32_t control, ServiceStatus& status) = 0;
    // ChangeServiceConfigA with the start type only; every other setting is left unchanged.
    virtual uint32_t ChangeStartType(RawHandle service, uint32_t startType) = 0;
};

// ---------------------------------------------------------------- Registry

struct RegistryData {
    uint32_t type = kRegNone;
    std::vector<uint8_t> bytes;  // the value's data exactly as stored
};

struct KeyStamp {
    std::string name;
    uint64_t lastWrite = 0;  // in the system's units (FILETIME)
};

class IKeyWatch {
public:
    virtual ~IKeyWatch() = default;
    // Whether the key or anything below it changed since the watch began or was last asked.
    virtual bool Changed() = 0;
};

class IRegistry : public HandleCloser {
public:
    // Opens an existing key below a root key (kHkeyLocalMachine...); never creates one.
    // The sub-key path has no leading backslash.
    virtual RegistryKeyHandle OpenKey(RawHandle root, const std::string& subKey, uint32_t access,
                                   uint32_t& error) = 0;
    // ERROR_FILE_NOT_FOUND when the value does not exist.
    virtual uint32_t QueryValue(RawHandle key, const std::string& name, RegistryData& data) = 0;
    virtual uint32_t SetValue(RawHandle key, const std::string& name, uint32_t type,
                              std::span<const uint8_t> bytes) = 0;
    // Watches a key and everything below it (names and values): null when the key cannot be
    // watched, which its readers take as a key that changes all the time.
    virtual std::unique_ptr<IKeyWatch> WatchKey(RawHandle root, const std::string& subKey) = 0;
    // The last-write time of each direct sub-key of a key, which changes when one of the
    // sub-key's own values is written or a key is made or deleted right below it (not deeper);
    // nothing when the key cannot be read.
    virtual std::optional<std::vector<KeyStamp>> SubKeyStamps(RawHandle root, const std::string& subKey) = 0;
};

// ---------------------------------------------------------------- Files and version resources

struct FileStamp {
    uint64_t size = 0;
    uint64_t lastWrite = 0;  // in the system's units (FILETIME)
    bool operator==(const FileStamp&) const = default;
};

class IFileSystem {
public:
    virtual ~IFileSystem() = default;
    // A file, not a directory; a relative path is taken from the current directory.
    virtual bool FileExists(const std::string& path) = 0;
    // The full path of the running program's executable.
    virtual std::string ModuleFileName() = 0;
    // A file's size and last-write time; nothing for a directory or a file that is not there.
    virtual std::optional<FileStamp> StampOf(const std::string& path) = 0;
    // Writes bytes into file, whole or not at all: an older file stays as it was until the new
    // one is complete, and nothing is left behind on a failure. The system's error, or 0.
    virtual uint32_t WriteWholeFile(const std::string& file, const std::string& bytes) = 0;
};

class IVersionInfo {
public:
    virtual ~IVersionInfo() = default;
    // 0 when the file has no version information.
    virtual uint32_t VersionInfoSize(const std::string& file) = 0;
    virtual bool ReadVersionInfo(const std::string& file, std::span<uint8_t> block) = 0;
    // "\VarFileInfo\Translation": each entry is language (low word) and code page (high word).
    virtual std::optional<std::vector<uint32_t>> QueryTranslations(
        std::span<const uint8_t> block) = 0;
    // The whole version-information block of a file: VersionInfoSize, then ReadVersionInfo
    // into a block of that size (which a system may do in one step). Empty when there is none.
    virtual std::vector<uint8_t> VersionBlock(const std::string& file) {
        const uint32_t size = VersionInfoSize(file);
        if (size == 0) return {};
        std::vector<uint8_t> block(size);
        ReadVersionInfo(file, block);
        return block;
    }
    // A string value of the block, up to its first NUL; nullopt when the query fails.
    virtual std::optional<std::string> QueryString(std::span<const uint8_t> block,
                                                   const std::string& subBlock) = 0;
};

// ---------------------------------------------------------------- Shell: icons, image lists, strings

// A list of equally sized images, addressed by index (a comctl32 image list in Win32).
class IImageList {
public:
    virtual ~IImageList() = default;
    virtual int Count() const = 0;
    // Appends a copy of the icon; returns its index. A list never falls out of step with the
    // items it belongs to: an icon that cannot be added still takes an (empty) image.
    virtual int AddIcon(RawHandle icon) = 0;
    // Appends copies of the icons in this order (the first gets the returned index); the same
    // as AddIcon for each, which a list may do faster, drawing an icon met again only once.
    virtual int AddIcons(std::span<const RawHandle> icons) {
        const int first = Count();
        for (const RawHandle icon : icons) AddIcon(icon);
        return first;
    }
    virtual bool ReplaceIcon(int index, RawHandle icon) = 0;
    // A new icon made from image index; empty when the index is out of range.
    virtual IconHandle GetIcon(int index) = 0;
    virtual void Clear() = 0;
    // The system's handle (HIMAGELIST), for the controls that draw from it.
    virtual RawHandle NativeHandle() const = 0;
};

class IShell : public HandleCloser {
public:
    // ExtractAssociatedIconA; the path goes through a writable 260-byte buffer of its own.
    virtual IconHandle AssociatedIcon(const std::string& path) = 0;
    // ExtractIconA; empty when the file has no icon of that index.
    virtual IconHandle IconOfFile(const std::string& file, uint32_t index) = 0;
    virtual IconHandle CopyIcon(RawHandle icon) = 0;
    // The side of the icons the two above give (the system's icon size, 32 at 96 DPI): the image
    // lists made for them take it, so that they show as sharp as they were drawn.
    virtual int IconSize() const { return 32; }
    virtual std::unique_ptr<IImageList> CreateImageList(int width, int height) = 0;
    // Resolves an indirect string "@file,-id" to its text; nullopt when it cannot.
    virtual std::optional<std::string> LoadIndirectString(const std::string& reference) = 0;
    // WinExec: starts a program from a command line; the system's answer (32 or more: started).
    virtual uint32_t Execute(const std::string& commandLine, int showCommand) = 0;
    // ShellExecuteA "open": a document or URL with the program the user chose for it.
    virtual bool OpenDocument(const std::string& document) = 0;
};

// ---------------------------------------------------------------- Environment and atoms

class IEnvironment {
public:
    virtual ~IEnvironment() = default;
    // The whole value, however long; nullopt when the variable is not set.
    virtual std::optional<std::string> Variable(const std::string& name) = 0;
    // GetSystemDirectoryA; empty on failure.
    virtual std::string SystemDirectory() = 0;
    // The system's text for an error code in the user's language, without its line end; empty
    // when the system has none.
    virtual std::string ErrorMessage(uint32_t errorCode) = 0;
};

class IAtomTable {
public:
    virtual ~IAtomTable() = default;
    virtual uint16_t FindGlobalAtom(const std::string& name) = 0;
    virtual uint16_t AddGlobalAtom(const std::string& name) = 0;
    virtual void DeleteGlobalAtom(uint16_t atom) = 0;
};

// ---------------------------------------------------------------- Processes

class IProcesses {
public:
    virtual ~IProcesses() = default;
    virtual uint32_t CurrentProcessId() = 0;
    // The Service Control Manager's own process (services.exe); 0 when it cannot be found.
    virtual uint32_t ManagerProcessId() = 0;
    // Ends the process (opened with the right to end it and no more); 0 or the system's error.
    virtual uint32_t Terminate(uint32_t processId) = 0;
};

// The whole machine as the logic sees it.
struct Platform {
    IServiceControlManager& services;
    IRegistry& registry;
    IFileSystem& files;
    IVersionInfo& versions;
    IShell& shell;
    IEnvironment& environment;
    IAtomTable& atoms;
    IProcesses& processes;
};

}  // namespace rondel::platform
