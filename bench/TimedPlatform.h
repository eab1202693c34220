// The real machine behind the platform seam, with a stopwatch on every call: where the time of
// a catalogue build goes (enumeration, registry, files and version resources, icons, image
// lists), the rest being the program's own work (texts, sorting).
#pragma once

#include <windows.h>

#include <array>
#include <memory>

#include "platform/Platform.h"
#include "platform/Win32Platform.h"

namespace rondel::bench {

enum Share { kEnumeration, kRegistry, kFiles, kVersions, kIcons, kImageLists, kShareCount };
inline constexpr const char* kShareNames[kShareCount] = {"enumeration", "registry", "file checks",
                                                         "version reading", "icon extraction", "image lists"};

class Stopwatch {
public:
    static double Now() {
        static const double frequency = [] {
            LARGE_INTEGER f;
            ::QueryPerformanceFrequency(&f);
            return static_cast<double>(f.QuadPart);
        }();
        LARGE_INTEGER t;
        ::QueryPerformanceCounter(&t);
        return static_cast<double>(t.QuadPart) / frequency;
    }
};

// Seconds spent per share since the last Reset.
struct Shares {
    std::array<double, kShareCount> seconds{};
    void Reset() { seconds.fill(0); }
};

class Timed {
public:
    Timed(Shares& shares, Share share) : shares_(shares), share_(share), start_(Stopwatch::Now()) {}
    ~Timed() { shares_.seconds[share_] += Stopwatch::Now() - start_; }

private:
    Shares& shares_;
    Share share_;
    double start_;
};

class TimedPlatform;

class TimedImageList final : public platform::IImageList {
public:
    TimedImageList(Shares& shares, std::unique_ptr<platform::IImageList> inner)
        : shares_(shares), inner_(std::move(inner)) {}
    int Count() const override { return inner_->Count(); }
    int AddIcon(platform::RawHandle icon) override {
        Timed t(shares_, kImageLists);
        return inner_->AddIcon(icon);
    }
    int AddIcons(std::span<const platform::RawHandle> icons) override {
        Timed t(shares_, kImageLists);
        return inner_->AddIcons(icons);
    }
    bool ReplaceIcon(int index, platform::RawHandle icon) override {
        Timed t(shares_, kImageLists);
        return inner_->ReplaceIcon(index, icon);
    }
    platform::IconHandle GetIcon(int index) override {
        Timed t(shares_, kImageLists);
        return inner_->GetIcon(index);
    }
    void Clear() override {
        Timed t(shares_, kImageLists);
        inner_->Clear();
    }
    platform::RawHandle NativeHandle() const override { return inner_->NativeHandle(); }

private:
    Shares& shares_;
    std::unique_ptr<platform::IImageList> inner_;
};

class TimedPlatform final : public platform::IServiceControlManager,
                            public platform::IRegistry,
                            public platform::IFileSystem,
                            public platform::IVersionInfo,
                            public platform::IShell {
public:
    explicit TimedPlatform(Shares& shares) : shares_(shares) {}

    platform::Platform View() {
        platform::Platform real = machine_.View();
        return platform::Platform{*this, *this, *this, *this, *this, real.environment, real.atoms, real.processes};
    }

    // Service Control Manager
    platform::ServiceHandle OpenManager(uint32_t access, uint32_t& error) override {
        Timed t(shares_, kEnumeration);
        return real().services.OpenManager(access, error);
    }
    platform::ServiceHandle OpenServiceByName(platform::RawHandle manager, const std::string& name, uint32_t access,
                                              uint32_t& error) override {
        Timed t(shares_, kEnumeration);
        return real().services.OpenServiceByName(manager, name, access, error);
    }
    platform::ServiceEnumeration EnumerateServices(platform::RawHandle manager, uint32_t type, uint32_t state,
                                                   uint32_t size, uint32_t& resume) override {
        Timed t(shares_, kEnumeration);
        return real().services.EnumerateServices(manager, type, state, size, resume);
    }
    platform::ServiceEnumeration EnumerateDependents(platform::RawHandle service, uint32_t state,
                                                     uint32_t size) override {
        return real().services.EnumerateDependents(service, state, size);
    }
    uint32_t QueryStatus(platform::RawHandle service, platform::ServiceStatus& status) override {
        return real().services.QueryStatus(service, status);
    }
    uint32_t Start(platform::RawHandle service) override { return real().services.Start(service); }
    uint32_t Control(platform::RawHandle service, uint32_t control, platform::ServiceStatus& status) override {
        return real().services.Control(service, control, status);
    }
    uint32_t ChangeStartType(platform::RawHandle service, uint32_t startType) override {
        return real().services.ChangeStartType(service, startType);
    }

    // Registry
    platform::RegistryKeyHandle OpenKey(platform::RawHandle root, const std::string& subKey, uint32_t access,
                                        uint32_t& error) override {
        Timed t(shares_, kRegistry);
        return real().registry.OpenKey(root, subKey, access, error);
    }
    uint32_t QueryValue(platform::RawHandle key, const std::string& name, platform::RegistryData& data) override {
        Timed t(shares_, kRegistry);
        return real().registry.QueryValue(key, name, data);
    }
    uint32_t SetValue(platform::RawHandle key, const std::string& name, uint32_t type,
                      std::span<const uint8_t> bytes) override {
        return real().registry.SetValue(key, name, type, bytes);
    }
    std::unique_ptr<platform::IKeyWatch> WatchKey(platform::RawHandle root, const std::string& subKey) override {
        return real().registry.WatchKey(root, subKey);
    }
    std::optional<std::vector<platform::KeyStamp>> SubKeyStamps(platform::RawHandle root, const std::string& subKey) override {
        Timed t(shares_, kRegistry);
        return real().registry.SubKeyStamps(root, subKey);
    }

    // Files and version resources
    bool FileExists(const std::string& path) override {
        Timed t(shares_, kFiles);
        return real().files.FileExists(path);
    }
    std::string ModuleFileName() override { return real().files.ModuleFileName(); }
    std::optional<platform::FileStamp> StampOf(const std::string& path) override {
        Timed t(shares_, kFiles);
        return real().files.StampOf(path);
    }
    uint32_t WriteWholeFile(const std::string& file, const std::string& bytes) override {
        return real().files.WriteWholeFile(file, bytes);
    }
    uint32_t VersionInfoSize(const std::string& file) override {
        Timed t(shares_, kVersions);
        return real().versions.VersionInfoSize(file);
    }
    std::vector<uint8_t> VersionBlock(const std::string& file) override {
        Timed t(shares_, kVersions);
        return real().versions.VersionBlock(file);
    }
    bool ReadVersionInfo(const std::string& file, std::span<uint8_t> block) override {
        Timed t(shares_, kVersions);
        return real().versions.ReadVersionInfo(file, block);
    }
    std::optional<std::vector<uint32_t>> QueryTranslations(std::span<const uint8_t> block) override {
        Timed t(shares_, kVersions);
        return real().versions.QueryTranslations(block);
    }
    std::optional<std::string> QueryString(std::span<const uint8_t> block, const std::string& subBlock) override {
        Timed t(shares_, kVersions);
        return real().versions.QueryString(block, subBlock);
    }

    // Shell
    platform::IconHandle AssociatedIcon(const std::string& path) override {
        Timed t(shares_, kIcons);
        return real().shell.AssociatedIcon(path);
    }
    platform::IconHandle IconOfFile(const std::string& file, uint32_t index) override {
        return real().shell.IconOfFile(file, index);
    }
    platform::IconHandle CopyIcon(platform::RawHandle icon) override {
        Timed t(shares_, kIcons);
        return real().shell.CopyIcon(icon);
    }
    std::unique_ptr<platform::IImageList> CreateImageList(int width, int height) override {
        return std::make_unique<TimedImageList>(shares_, real().shell.CreateImageList(width, height));
    }
    std::optional<std::string> LoadIndirectString(const std::string& reference) override {
        return real().shell.LoadIndirectString(reference);
    }
    uint32_t Execute(const std::string& commandLine, int showCommand) override {
        return real().shell.Execute(commandLine, showCommand);
    }
    bool OpenDocument(const std::string& document) override { return real().shell.OpenDocument(document); }

    // The handles given out are the real machine's, closed by it: nothing comes back here.
    void CloseHandle(platform::RawHandle) noexcept override {}

private:
    platform::Platform real() { return machine_.View(); }

    Shares& shares_;
    platform::Win32Platform machine_;
};

}  // namespace rondel::bench
