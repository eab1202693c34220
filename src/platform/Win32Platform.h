// The platform seam over the real Win32 API ("A" functions, code page 932). Each interface is
// built in a file of its own (Win32Services, Win32Registry, Win32Files, Win32Shell); this
// header's own file holds the environment, the atoms and the text conversions.
#pragma once

#include "platform/Platform.h"

namespace rondel::platform {

class Win32ServiceControlManager final : public IServiceControlManager {
public:
    ServiceHandle OpenManager(uint32_t access, uint32_t& error) override;
    ServiceHandle OpenServiceByName(RawHandle manager, const std::string& serviceName, uint32_t access,
                              uint32_t& error) override;
    ServiceEnumeration EnumerateServices(RawHandle manager, uint32_t serviceType, uint32_t serviceState,
                                          uint32_t bufferSize, uint32_t& resumeHandle) override;
    ServiceEnumeration EnumerateDependents(RawHandle service, uint32_t serviceState,
                                             uint32_t bufferSize) override;
    uint32_t QueryStatus(RawHandle service, ServiceStatus& status) override;
    uint32_t Start(RawHandle service) override;
    uint32_t Control(RawHandle service, uint32_t control, ServiceStatus& status) override;
    uint32_t ChangeStartType(RawHandle service, uint32_t startType) override;
    void CloseHandle(RawHandle handle) noexcept override;
};

class Win32Registry final : public IRegistry {
public:
    RegistryKeyHandle OpenKey(RawHandle root, const std::string& subKey, uint32_t access,
                              uint32_t& error) override;
    uint32_t QueryValue(RawHandle key, const std::string& name, RegistryData& data) override;
    uint32_t SetValue(RawHandle key, const std::string& name, uint32_t type,
                      std::span<const uint8_t> bytes) override;
    std::unique_ptr<IKeyWatch> WatchKey(RawHandle root, const std::string& subKey) override;
    std::optional<std::vector<KeyStamp>> SubKeyStamps(RawHandle root, const std::string& subKey) override;
    void CloseHandle(RawHandle handle) noexcept override;
};

class Win32FileSystem final : public IFileSystem, public IVersionInfo {
public:
    bool FileExists(const std::string& path) override;
    std::string ModuleFileName() override;
    std::optional<FileStamp> StampOf(const std::string& path) override;
    uint32_t WriteWholeFile(const std::string& file, const std::string& bytes) override;
    uint32_t VersionInfoSize(const std::string& file) override;
    bool ReadVersionInfo(const std::string& file, std::span<uint8_t> block) override;
    std::vector<uint8_t> VersionBlock(const std::string& file) override;
    std::optional<std::vector<uint32_t>> QueryTranslations(std::span<const uint8_t> block) override;
    std::optional<std::string> QueryString(std::span<const uint8_t> block, const std::string& subBlock) override;
};

class Win32Shell final : public IShell {
public:
    IconHandle AssociatedIcon(const std::string& path) override;
    IconHandle IconOfFile(const std::string& file, uint32_t index) override;
    IconHandle CopyIcon(RawHandle icon) override;
    int IconSize() const override;
    std::unique_ptr<IImageList> CreateImageList(int width, int height) override;
    std::optional<std::string> LoadIndirectString(const std::string& reference) override;
    uint32_t Execute(const std::string& commandLine, int showCommand) override;
    bool OpenDocument(const std::string& document) override;
    void CloseHandle(RawHandle handle) noexcept override;
};

class Win32Environment final : public IEnvironment {
public:
    std::optional<std::string> Variable(const std::string& name) override;
    std::string SystemDirectory() override;
    std::string ErrorMessage(uint32_t errorCode) override;
};

class Win32AtomTable final : public IAtomTable {
public:
    uint16_t FindGlobalAtom(const std::string& name) override;
    uint16_t AddGlobalAtom(const std::string& name) override;
    void DeleteGlobalAtom(uint16_t atom) override;
};

class Win32Processes final : public IProcesses {
public:
    uint32_t CurrentProcessId() override;
    uint32_t ManagerProcessId() override;
    uint32_t Terminate(uint32_t processId) override;
};

// The real machine, one object of each kind.
class Win32Platform {
public:
    Platform View() {
        return Platform{services_, registry_, files_, files_, shell_, environment_, atoms_, processes_};
    }

private:
    Win32ServiceControlManager services_;
    Win32Registry registry_;
    Win32FileSystem files_;
    Win32Shell shell_;
    Win32Environment environment_;
    Win32AtomTable atoms_;
    Win32Processes processes_;
};

// Texts between a code page's bytes and UTF-16. The program's own texts are in code page 932.
inline constexpr unsigned kCodePage932 = 932;
std::wstring ToWide(const std::string& text, unsigned codePage);
std::string FromWide(const std::wstring& text, unsigned codePage);
// The same in the system's ANSI code page, which the "A" functions use (932 on Rondel's machines).
std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
// Code-page-932 bytes as UTF-16, or as UTF-8 through it; a byte that begins no character of the
// code page and a character the code page does not define become U+FFFD (DecodeCodePage932).
std::wstring WideFromCodePage932(const std::string& text);
std::string Utf8FromCodePage932(const std::string& text);

// Writes bytes into file through a file of its own beside it ("FILE.<process id>.tmp", or a
// shorter name in the same directory where that would run past MAX_PATH or is taken), made new
// so that it replaces nothing, which takes file's name once it is complete and on the disk: an
// older file stays whole until then, and nothing is left behind on a failure. Gives the
// system's error, or 0.
unsigned long WriteWholeFile(const std::string& file, const std::string& bytes);

}  // namespace rondel::platform
