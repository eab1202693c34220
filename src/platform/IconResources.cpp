#include "platform/IconResources.h"

#include <algorithm>
#include <optional>

namespace rondel::platform {

namespace {

constexpr uint16_t kIconResource = 3;        // RT_ICON
constexpr uint16_t kIconGroupResource = 14;  // RT_GROUP_ICON

// The file offset of a relative virtual address, by the first section whose raw data covers it
// (32-bit sums, as the system's lookup makes them); nullopt when none does.
std::optional<std::size_t> RvaToOffset(ByteReader& file, std::size_t sections, std::size_t count, uint32_t rva) {
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t s = sections + 40 * k;
        const uint32_t start = file.Dword(s + 12);
        const uint32_t end = start + file.Dword(s + 16);  // wraps as the system's sum does
        if (start <= rva && end > rva) return std::size_t{file.Dword(s + 20)} + (rva - start);
    }
    return std::nullopt;
}

std::size_t EntryCount(ByteReader& file, std::size_t directory) {
    return std::size_t{file.Word(directory + 12)} + file.Word(directory + 14);
}
// The number of entries of the resource directory at `at`, when its header and its entries (at
// least `least` of them, which the reader reads whatever the count says) lie within the file;
// the count is read only once the header is known to be there.
std::optional<std::size_t> DirectoryWithin(ByteReader& file, std::size_t at, std::size_t least = 0) {
    if (!file.Holds(at, 16)) return std::nullopt;
    const std::size_t entries = EntryCount(file, at);
    if (!file.Holds(at + 16, 8 * std::max(least, entries))) return std::nullopt;
    return entries;
}
std::size_t EntryTarget(ByteReader& file, std::size_t root, std::size_t entry) {
    return root + (file.Dword(entry + 4) & 0x7FFFFFFFu);
}

// One resource type's directory below the root: each of its entries leads to a directory whose
// first entry (read whatever its count says) leads to the data entry, whose data, when a section
// holds it, lies within the file, and so do an icon group's header and all the entries it counts.
bool IconTypeWithin(ByteReader& file, std::size_t root, std::size_t type, std::size_t sections, std::size_t sectionCount,
                    bool group) {
    const std::optional<std::size_t> entries = DirectoryWithin(file, type);
    if (!entries) return false;
    for (std::size_t k = 0; k < *entries; ++k) {
        const std::size_t names = EntryTarget(file, root, type + 16 + 8 * k);
        if (!DirectoryWithin(file, names, 1)) return false;
        const std::size_t data = EntryTarget(file, root, names + 16);
        if (!file.Holds(data, 16)) return false;
        const std::optional<std::size_t> bytes = RvaToOffset(file, sections, sectionCount, file.Dword(data));
        if (!bytes) continue;  // the reader finds no data there and stops
        if (!file.Holds(*bytes, file.Dword(data + 4))) return false;
        if (group && (!file.Holds(*bytes, 6) || !file.Holds(*bytes, 6 + 14 * std::size_t{file.Word(*bytes + 4)})))
            return false;
    }
    return true;
}

// An executable's icons: its headers, its section table and, of the resource tree, the root and
// the icon and icon-group types lie within the file.
bool ExecutableIconsWithin(ByteReader& file, std::size_t header) {
    if (!file.Holds(header, 24)) return false;
    const std::size_t sectionCount = file.Word(header + 6);
    const std::size_t optional = header + 24;
    const std::size_t sections = optional + file.Word(header + 20);
    if (!file.Holds(optional, 2) || !file.Holds(sections, 40 * sectionCount)) return false;
    const uint16_t magic = file.Word(optional);
    if (magic != 0x20B && magic != 0x10B) return true;  // no resources to be found
    const std::size_t directories = optional + (magic == 0x20B ? 112 : 96);
    if (!file.Holds(optional, 64) || !file.Holds(directories - 4, 4)) return false;
    if (file.Dword(directories - 4) <= 2) return true;  // no resource directory
    if (!file.Holds(directories + 16, 8)) return false;
    const uint32_t address = file.Dword(directories + 16);
    if (address == 0) return true;
    const std::optional<std::size_t> root = address < file.Dword(optional + 60)
                                                ? std::optional<std::size_t>(address)
                                                : RvaToOffset(file, sections, sectionCount, address);
    if (!root) return true;
    const std::optional<std::size_t> types = DirectoryWithin(file, *root);
    if (!types) return false;
    for (std::size_t k = 0; k < *types; ++k) {
        const std::size_t entry = *root + 16 + 8 * k;
        const uint16_t id = file.Word(entry);
        if ((id == kIconResource || id == kIconGroupResource) &&
            !IconTypeWithin(file, *root, EntryTarget(file, *root, entry), sections, sectionCount, id == kIconGroupResource))
            return false;
    }
    return true;
}

// An icon file (what the shell takes a file for when it does not begin with "MZ" and its second
// word is 1): its directory and every image lie within the file.
bool IconFileWithin(ByteReader& file) {
    if (!file.Holds(0, 6)) return false;
    if (file.Word(0) != 0 || file.Word(4) == 0) return true;  // not read further
    const std::size_t count = file.Word(4);
    if (!file.Holds(6, 16 * count)) return false;
    for (std::size_t k = 0; k < count; ++k) {
        if (!file.Holds(file.Dword(6 + 16 * k + 12), file.Dword(6 + 16 * k + 8))) return false;
    }
    return true;
}

}  // namespace

bool IconsLieWithin(ByteReader& file) {
    // A file that cannot be opened here cannot be mapped there either, nor an empty one; under 4
    // bytes the shell sees zeros past the end: no signature, nothing more is read.
    if (!file.Holds(0, 4)) return true;
    bool fit = false;
    if (file.Word(0) != 0x5A4D) {  // "MZ"
        fit = file.Word(2) != 1 || IconFileWithin(file);
    } else if (file.Holds(60, 4) && file.Holds(file.Dword(60), 4)) {
        const std::size_t header = file.Dword(60);
        if (file.Dword(header) == 0x00004550)  // "PE\0\0"
            fit = ExecutableIconsWithin(file, header);
        else
            fit = file.Word(header) != 0x454E;  // a 16-bit executable's tables are not checked: no icon
    }
    return fit && !file.Failed();
}

}  // namespace rondel::platform
