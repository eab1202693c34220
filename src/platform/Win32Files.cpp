#include "platform/Win32Platform.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "platform/VersionBlock.h"
#include "platform/Win32Casts.h"
#include "platform/Win32Handles.h"
#include "text/AnsiText.h"

namespace rondel::platform {

namespace {

// A path as the system's "A" query converts it before walking the block.
std::u16string WidePath(const std::string& path) {
    const std::wstring wide = AnsiToWide(path);
    return std::u16string(wide.begin(), wide.end());
}

}  // namespace

bool Win32FileSystem::FileExists(const std::string& path) {
    if (path.empty()) return false;
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::optional<FileStamp> Win32FileSystem::StampOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (path.empty() || !::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return std::nullopt;
    const auto join = [](DWORD high, DWORD low) { return uint64_t{high} << 32 | low; };
    return FileStamp{join(data.nFileSizeHigh, data.nFileSizeLow),
                     join(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime)};
}

std::string Win32FileSystem::ModuleFileName() {
    std::string path(MAX_PATH, '\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

uint32_t Win32FileSystem::VersionInfoSize(const std::string& file) {
    DWORD handle = 0;
    return ::GetFileVersionInfoSizeA(file.c_str(), &handle);
}

bool Win32FileSystem::ReadVersionInfo(const std::string& file, std::span<uint8_t> block) {
    return ::GetFileVersionInfoA(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data()) != FALSE;
}

std::vector<uint8_t> Win32FileSystem::VersionBlock(const std::string& file) {
    // GetFileVersionInfoSizeA and GetFileVersionInfoA each load the file (a few milliseconds
    // under Wine). A block of a generous size is read in one load instead. The queries use twice
    // the block's length word and 4 (its "A" strings go into the second half), whatever the
    // resource really holds: a block whose length says more is read again into that much room,
    // zeros past the data, never into the size the system reports for the resource.
    constexpr std::size_t kFirstGuess = 16384;
    std::vector<uint8_t> block(kFirstGuess, 0);
    if (!::GetFileVersionInfoA(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) return {};
    const std::size_t room = 2 * std::size_t{WordAt(block, 0)} + 4;
    if (room > block.size()) {
        block.assign(room, 0);
        if (!::GetFileVersionInfoA(file.c_str(), 0, static_cast<DWORD>(block.size()), block.data())) return {};
    }
    return block;
}

std::optional<std::vector<uint32_t>> Win32FileSystem::QueryTranslations(std::span<const uint8_t> block) {
    const char* const path = "\\VarFileInfo\\Translation";
    if (!VersionQueryStaysInBlock(block, WidePath(path))) return std::nullopt;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), path, &value, &length) || value == nullptr) return std::nullopt;
    const auto* p = static_cast<const uint8_t*>(value);
    if (p < block.data() || p + length > block.data() + block.size()) return std::nullopt;
    std::vector<uint32_t> entries(length / 4);
    if (entries.empty()) return std::nullopt;
    std::memcpy(entries.data(), p, entries.size() * 4);
    return entries;
}

std::optional<std::string> Win32FileSystem::QueryString(std::span<const uint8_t> block,
                                                        const std::string& subBlock) {
    if (!VersionQueryStaysInBlock(block, WidePath(subBlock))) return std::nullopt;
    void* value = nullptr;
    UINT length = 0;
    if (!::VerQueryValueA(block.data(), subBlock.c_str(), &value, &length)) return std::nullopt;
    if (value == nullptr || length == 0) return std::string();
    // Up to its NUL; a value stored without one ends with its length, not with what follows.
    std::optional<std::string> text = StringInBuffer(static_cast<const char*>(value), block.data(), block.size());
    if (text && text->size() > length) text->resize(length);
    return text;
}

namespace {

// A path's length as MAX_PATH counts it: in UTF-16 units, whatever its bytes in code page 932.
std::size_t PathLength(const std::string& path) { return AnsiToWide(path).size(); }

// Whether a create failed only because something already has that name.
bool NameTaken(DWORD error, const std::string& path) {
    return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
           (error == ERROR_ACCESS_DENIED && ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES);
}

struct TemporaryFile {
    unique_file handle;
    std::string path;
    DWORD error = 0;
};

// The file a write goes into before it takes `file`'s name, made with CREATE_NEW so that it
// never replaces another: FILE.<process id>.tmp where that fits MAX_PATH and is free; else, in
// the same directory, "~" and hex digits (".tmp" after them where it fits) no longer than the
// room the directory leaves, which is at least as long as file's own name: a file within
// MAX_PATH always has a temporary file within it.
TemporaryFile CreateTemporaryBeside(const std::string& file) {
    TemporaryFile made;
    const auto create = [&made](const std::string& path) {
        made.handle = unique_file(
            ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        made.error = made.handle ? 0 : ::GetLastError();
        if (made.handle) made.path = path;
        return made.error == 0 || !NameTaken(made.error, path);  // done, one way or the other
    };
    const DWORD process = ::GetCurrentProcessId();
    const std::string usual = file + "." + std::to_string(process) + ".tmp";
    if (PathLength(usual) <= kMaxPathLength && create(usual)) return made;

    const std::size_t cut = LastDelimiter(file, "\\/:");
    const std::string directory = cut == std::string::npos ? std::string() : file.substr(0, cut + 1);
    const std::string ownName = AsciiLower(file.substr(directory.size()));
    const std::size_t used = PathLength(directory);
    const std::size_t room = used < kMaxPathLength ? kMaxPathLength - used : 0;
    if (room == 0) {
        if (made.error == 0) made.error = ERROR_FILENAME_EXCED_RANGE;
        return made;
    }
    const bool tilde = room >= 2;
    const bool suffix = room >= 6;
    const std::size_t digits = std::min<std::size_t>(8, room - (tilde ? 1 : 0) - (suffix ? 4 : 0));
    // Starts at a place of its own for each process, so that saves beside each other seldom meet.
    const uint64_t names = uint64_t{1} << (4 * digits);
    const uint64_t first = (uint64_t{process} * 2654435761u + ::GetTickCount()) % names;
    constexpr uint64_t kMostTries = 100;
    for (uint64_t k = 0; k < std::min(names, kMostTries); ++k) {
        std::string name(digits, '0');
        for (uint64_t value = (first + k) % names, at = digits; at-- > 0; value >>= 4)
            name[at] = "0123456789abcdef"[value & 15];
        name = (tilde ? "~" : "") + name + (suffix ? ".tmp" : "");
        if (name == ownName) continue;
        if (create(directory + name)) return made;
    }
    return made;
}

}  // namespace

unsigned long WriteWholeFile(const std::string& file, const std::string& bytes) {
    TemporaryFile temporary = CreateTemporaryBeside(file);
    if (!temporary.handle) return temporary.error;
    unique_file& handle = temporary.handle;
    DWORD error = 0;
    for (std::size_t done = 0; done < bytes.size() && error == 0;) {
        const DWORD size = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(handle.get(), bytes.data() + done, size, &written, nullptr)) error = ::GetLastError();
        else if (written == 0) error = ERROR_WRITE_FAULT;
        done += written;
    }
    if (error == 0 && !::FlushFileBuffers(handle.get())) error = ::GetLastError();
    if (!handle.Close() && error == 0) error = ::GetLastError();
    if (error == 0 &&
        !::MoveFileExA(temporary.path.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = ::GetLastError();
    if (error != 0) ::DeleteFileA(temporary.path.c_str());
    return error;
}

}  // namespace rondel::platform
