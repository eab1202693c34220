#include "HostileSupport.h"

#include <algorithm>

#include "FixturePaths.h"

namespace rondel::testing {

namespace {

// RegSetValueExA takes a NUL that follows a string's bytes in memory for the string's own and
// stores it too: the bytes come from a buffer that goes on past them, so "unterminated" stays so.
LSTATUS Store(const fixtures::TestService& service, const Value& value) {
    if (value.type == kDeleted) return service.DeleteValue(value.name);
    const std::string buffer = value.bytes + '#';
    return service.SetValue(value.name, value.type, buffer.data(), static_cast<DWORD>(value.bytes.size()));
}

// The pixels of an icon drawn on a fixed background.
std::vector<DWORD> Pixels(platform::RawHandle icon) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, 32, -32, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<DWORD> pixels;
    if (bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(dc, bitmap);
        std::fill_n(static_cast<DWORD*>(bits), 32 * 32, 0x00FF00FFu);
        DrawIconEx(dc, 0, 0, reinterpret_cast<HICON>(icon), 32, 32, 0, nullptr, DI_NORMAL);
        GdiFlush();
        pixels.assign(static_cast<DWORD*>(bits), static_cast<DWORD*>(bits) + 32 * 32);
        SelectObject(dc, previous);
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
    return pixels;
}

}  // namespace

std::string Sz(const std::string& text) { return text + std::string(1, '\0'); }
std::string Dword(DWORD value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }
std::string Qword(unsigned long long value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); }
std::string Multi(const std::string& a, const std::string& b) { return a + '\0' + b + '\0' + '\0'; }

std::string TextOfLength(std::string head, std::size_t bytes, const std::string& fill) {
    while (head.size() + fill.size() <= bytes) head += fill;
    while (head.size() < bytes) head += 'x';
    return head;
}

Services::Services() { Add(kCanary, {{"DisplayName", REG_SZ, Sz(kCanaryDisplay)}}); }

fixtures::TestService& Services::Add(const std::string& name, const std::vector<Value>& values, const std::string& image) {
    fixtures::ServiceDefinition definition(name);
    definition.Display("試験 " + name.substr(std::string(fixtures::kTestServicePrefix).size()));
    if (!image.empty()) definition.Image(image);
    services_.push_back(std::make_unique<fixtures::TestService>(definition));
    fixtures::TestService& service = *services_.back();
    EXPECT_EQ(service.CreateError(), 0u) << name;
    for (const Value& value : values) EXPECT_EQ(Store(service, value), ERROR_SUCCESS) << name << " " << value.name;
    return service;
}

ScratchDirectory::ScratchDirectory(const std::string& name) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + name + "\\";
    EXPECT_TRUE(CreateDirectoryA(path_.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) << path_;
}

ScratchDirectory::~ScratchDirectory() {
    for (const std::string& file : files_) DeleteFileA(file.c_str());
    for (auto d = directories_.rbegin(); d != directories_.rend(); ++d) RemoveDirectoryA(d->c_str());
    RemoveDirectoryA(path_.c_str());
}

std::string ScratchDirectory::Directory(const std::string& relative) {
    const std::string path = path_ + relative;
    EXPECT_TRUE(CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS) << path;
    directories_.push_back(path);
    return path;
}

std::string ScratchDirectory::Copy(const std::string& source, const std::string& relative) {
    const std::string path = path_ + relative;
    EXPECT_TRUE(CopyFileA(source.c_str(), path.c_str(), FALSE)) << path;
    files_.push_back(path);
    return path;
}

std::string ScratchDirectory::Write(const std::string& relative, const std::string& bytes) {
    const std::string path = path_ + relative;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    EXPECT_TRUE(file != INVALID_HANDLE_VALUE &&
                WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                written == bytes.size())
        << path;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    files_.push_back(path);
    return path;
}

BuiltCatalogue::BuiltCatalogue()
    : system_(win32_.View()), defaultIcon_(LoadSystemIcon(system_, kDefaultServiceIconIndex)), catalogue_(system_) {
    const ULONGLONG start = GetTickCount64();
    result_ = catalogue_.BuildServiceLists(defaultIcon_.get());
    seconds_ = static_cast<double>(GetTickCount64() - start) / 1000.0;
    EXPECT_TRUE(defaultIcon_) << "shell32.dll's icon stands for executables without one";
    // The default icon as an image list gives it back, to compare with the lists' images.
    auto reference = system_.shell.CreateImageList(32, 32);
    reference->AddIcons(std::vector<platform::RawHandle>{defaultIcon_.get()});
    defaultPixels_ = Pixels(reference->GetIcon(0).get());
}

std::optional<std::pair<ServiceEntry, bool>> BuiltCatalogue::Stopped(const std::string& name) {
    StateList& list = catalogue_.List(kStoppedTab);
    for (std::size_t k = 0; k < list.entries.size(); ++k) {
        const ServiceEntry& entry = list.entries[k];
        if (entry.serviceName == name)
            return std::make_pair(entry, Pixels(list.images->GetIcon(static_cast<int>(k)).get()) == defaultPixels_);
    }
    return std::nullopt;
}

std::vector<std::string> BuiltCatalogue::ErrorsOf(const std::string& name) const {
    std::vector<std::string> errors;
    for (const ServiceReadError& error : result_.readErrors)
        if (error.serviceName == name) errors.push_back(error.message);
    return errors;
}

std::set<std::string> BuiltCatalogue::AllNames() const {
    std::set<std::string> names;
    for (const ServiceTab tab : {kRunningTab, kPausedTab, kStoppedTab})
        for (const ServiceEntry& entry : catalogue_.List(tab).entries) names.insert(entry.serviceName);
    return names;
}

void ExpectListed(BuiltCatalogue& built, const std::string& name, const Listed& expected) {
    SCOPED_TRACE(name);
    const auto found = built.Stopped(name);
    ASSERT_TRUE(found.has_value()) << "not in the stopped list";
    const ServiceEntry& entry = found->first;
    EXPECT_EQ(entry.displayName, expected.displayName);
    EXPECT_EQ(entry.executablePath, expected.imagePath);
    EXPECT_EQ(entry.company, expected.company);
    EXPECT_EQ(entry.description, expected.description);
    EXPECT_EQ(built.ErrorsOf(name),
              expected.error.empty() ? std::vector<std::string>{} : std::vector<std::string>{expected.error});
    EXPECT_EQ(found->second, expected.description == kNotFound || expected.imagePath.empty()) << "default icon";
}

void ExpectTheRestListed(BuiltCatalogue& built) {
    EXPECT_TRUE(built.Result().Complete());
    const std::set<std::string> listed = built.AllNames();
    for (const auto& [name, status] : fixtures::AllWin32Services()) EXPECT_EQ(listed.count(name), 1u) << name;
    ExpectListed(built, kCanary, {kCanaryDisplay, fixtures::TestServiceCommand(), kServiceCompany, kServiceDescription, ""});
    EXPECT_LT(built.Seconds(), 30.0) << "the build must stay quick";
}

}  // namespace rondel::testing
