// Broken executables under Wine: copies of a fixture whose version resource was rewritten at
// test time with damaged lengths and cut tables, a directory where the executable should be, and
// files the process cannot open or that are no executables at all. The catalogue lists their
// services with what can be read soundly (else "不明"), and the version reader of the seam
// touches nothing outside the block it is given.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "FixturePaths.h"
#include "HostileSupport.h"
#include "platform/Win32Platform.h"

namespace {

using namespace rondel::testing;
using rondel::fixtures::FixturePath;
using rondel::platform::Win32FileSystem;
using Bytes = std::vector<uint8_t>;

// ---------------------------------------------------------------------------- version resources

uint16_t Word(std::span<const uint8_t> r, std::size_t at) { return static_cast<uint16_t>(r[at] | r[at + 1] << 8); }
void SetWord(Bytes& r, std::size_t at, std::size_t value) {
    r[at] = static_cast<uint8_t>(value);
    r[at + 1] = static_cast<uint8_t>(value >> 8);
}
std::size_t Align4(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

// A node of an intact resource: wLength, wValueLength, wType, the key, then (aligned from the
// node's start) the value and the children.
struct Node {
    std::size_t at = 0;
    std::size_t keyEnd = 0;  // the key's NUL
    std::size_t value = 0;
};

Node NodeAt(const Bytes& r, std::size_t at) {
    Node node{at, at + 6, 0};
    while (Word(r, node.keyEnd) != 0) node.keyEnd += 2;
    node.value = at + Align4(node.keyEnd + 2 - at);
    return node;
}

std::wstring KeyOf(const Bytes& r, const Node& node) {
    std::wstring key;
    for (std::size_t k = node.at + 6; k < node.keyEnd; k += 2) key += static_cast<wchar_t>(Word(r, k));
    return key;
}

// The node a path of keys leads to from the root.
Node Find(const Bytes& r, std::initializer_list<const wchar_t*> path) {
    Node node = NodeAt(r, 0);
    for (const wchar_t* key : path) {
        const std::size_t end = node.at + Word(r, node.at);
        std::size_t at = node.value + Align4(Word(r, node.at + 2) * (Word(r, node.at + 4) != 0 ? 2u : 1u));
        while (at < end && KeyOf(r, NodeAt(r, at)) != key) at += Align4(Word(r, at));
        EXPECT_LT(at, end) << "no node " << static_cast<int>(path.size());
        node = NodeAt(r, at < end ? at : 0);
    }
    return node;
}

Node Table(const Bytes& r, const wchar_t* key) { return Find(r, {L"StringFileInfo", L"041104B0", key}); }
Node Translation(const Bytes& r) { return Find(r, {L"VarFileInfo", L"Translation"}); }

// VarFileInfo moved in front of StringFileInfo (either order is allowed), so that a cut in the
// strings leaves the translation whole.
void TranslationFirst(Bytes& r) {
    ASSERT_EQ(Word(r, 0), r.size());
    const std::size_t strings = Find(r, {L"StringFileInfo"}).at;
    const std::size_t vars = Find(r, {L"VarFileInfo"}).at;
    ASSERT_LT(strings, vars);
    Bytes moved(r.begin() + static_cast<std::ptrdiff_t>(vars), r.end());
    moved.resize(Align4(moved.size()));
    moved.insert(moved.end(), r.begin() + static_cast<std::ptrdiff_t>(strings), r.begin() + static_cast<std::ptrdiff_t>(vars));
    r.resize(strings);
    r.insert(r.end(), moved.begin(), moved.end());
    SetWord(r, 0, r.size());
}

struct VersionResource {
    Bytes bytes;
    WORD language = 0;
};

BOOL CALLBACK FirstLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
    *reinterpret_cast<WORD*>(found) = language;
    return FALSE;
}

VersionResource ReadVersionResource(const std::string& file) {
    VersionResource resource;
    HMODULE module = LoadLibraryExA(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (module == nullptr) return resource;
    EnumResourceLanguagesA(module, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), FirstLanguage,
                           reinterpret_cast<LONG_PTR>(&resource.language));
    if (HRSRC found = FindResourceExA(module, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), resource.language)) {
        const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
        if (data != nullptr) resource.bytes.assign(data, data + SizeofResource(module, found));
    }
    FreeLibrary(module);
    return resource;
}

// A copy of vi_japanese.exe whose version resource is replaced by `bytes`.
std::string WriteWithVersion(ScratchDirectory& scratch, const std::string& name, Bytes bytes, WORD language) {
    const std::string path = scratch.Copy(FixturePath("vi_japanese.exe"), name);
    HANDLE update = BeginUpdateResourceA(path.c_str(), FALSE);
    EXPECT_NE(update, nullptr) << name;
    EXPECT_TRUE(UpdateResourceA(update, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), language, bytes.data(),
                                static_cast<DWORD>(bytes.size())))
        << name;
    EXPECT_TRUE(EndUpdateResourceA(update, FALSE)) << name;
    return path;
}

struct Damage {
    std::string label;
    void (*patch)(Bytes&);
    std::string company;
    std::string description;
};

// Each damage, and what the catalogue can soundly read of the file after it.
const std::vector<Damage>& Damages() {
    static const std::vector<Damage> damages = {
        {"Intact", [](Bytes&) {}, kServiceCompany, kJapaneseDescription},
        {"RootBeyondTheData", [](Bytes& r) { SetWord(r, 0, 0xFFFF); }, kServiceCompany, kJapaneseDescription},
        {"RootTwiceTheData", [](Bytes& r) { SetWord(r, 0, 2 * r.size()); }, kServiceCompany, kJapaneseDescription},
        {"CutInAString",
         [](Bytes& r) {
             TranslationFirst(r);
             r.resize(Table(r, L"FileDescription").value + 8);
         },
         kServiceCompany, "日本語の"},
        {"RootCutShort",
         [](Bytes& r) {
             TranslationFirst(r);
             SetWord(r, 0, Table(r, L"FileDescription").at + 10);
         },
         kUnknown, kUnknown},
        {"TranslationOfOneByte", [](Bytes& r) { SetWord(r, Translation(r).at + 2, 1); }, kUnknown, kUnknown},
        {"TranslationPastTheEnd", [](Bytes& r) { SetWord(r, Translation(r).at + 2, 0xFFFF); }, kUnknown, kUnknown},
        {"CompanyPastTheEnd", [](Bytes& r) { SetWord(r, Table(r, L"CompanyName").at + 2, 0xFFFF); }, kUnknown,
         kJapaneseDescription},
        {"TablePastItsParent",
         [](Bytes& r) {
             const std::size_t parent = Find(r, {L"StringFileInfo"}).at;
             const std::size_t table = Find(r, {L"StringFileInfo", L"041104B0"}).at;
             SetWord(r, table, parent + Word(r, parent) - table + 8);  // into VarFileInfo beside its parent
         },
         kUnknown, kUnknown},
        {"StringShorterThanItsHeader", [](Bytes& r) { SetWord(r, Table(r, L"CompanyName").at, 4); }, kUnknown, kUnknown},
        {"StringOfLengthZero", [](Bytes& r) { SetWord(r, Table(r, L"CompanyName").at, 0); }, kUnknown, kUnknown},
        {"KeyWithoutNul",
         [](Bytes& r) {
             const Node company = Table(r, L"CompanyName");
             for (std::size_t k = company.keyEnd; k < company.value; k += 2) SetWord(r, k, 'X');
         },
         kUnknown, kJapaneseDescription},
        {"SixteenBitShape", [](Bytes& r) { r[4] = 'A'; }, kUnknown, kUnknown},
        {"OneByte", [](Bytes& r) { r = {0xFF}; }, kUnknown, kUnknown},
        {"HeaderOnly", [](Bytes& r) { r.resize(6); }, kUnknown, kUnknown},
        // Values counted without their NUL, and bytes after the block that are not zero.
        {"UncountedNulsJunkAfter",
         [](Bytes& r) {
             for (const wchar_t* key : {L"CompanyName", L"FileDescription"}) {
                 const Node node = Table(r, key);
                 SetWord(r, node.at + 2, Word(r, node.at + 2) - 1);
             }
             r.resize(2 * r.size(), 'Z');
         },
         kServiceCompany, kJapaneseDescription},
    };
    return damages;
}

// The damaged copies, one per damage, named after it.
class DamagedFiles {
public:
    DamagedFiles() : scratch_("RondelBroken") {
        const VersionResource intact = ReadVersionResource(FixturePath("vi_japanese.exe"));
        EXPECT_FALSE(intact.bytes.empty());
        for (const Damage& damage : Damages()) {
            SCOPED_TRACE(damage.label);
            Bytes bytes = intact.bytes;
            damage.patch(bytes);
            paths_.push_back(WriteWithVersion(scratch_, damage.label + ".exe", bytes, intact.language));
        }
    }
    const std::string& PathOf(std::size_t k) const { return paths_[k]; }
    ScratchDirectory& Scratch() { return scratch_; }

private:
    ScratchDirectory scratch_;
    std::vector<std::string> paths_;
};

// ---------------------------------------------------------------------------- the reader's bounds

// Memory whose last byte is followed by a page that cannot be touched: a read or a write past
// the end ends the test program at once instead of touching a neighbour's memory.
class GuardedBlock {
public:
    explicit GuardedBlock(std::span<const uint8_t> bytes) : size_(bytes.size()) {
        const std::size_t page = 4096;
        const std::size_t pages = (size_ + page - 1) / page + 1;
        base_ = static_cast<uint8_t*>(VirtualAlloc(nullptr, pages * page, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD previous = 0;
        VirtualProtect(base_ + (pages - 1) * page, page, PAGE_NOACCESS, &previous);
        data_ = base_ + (pages - 1) * page - size_;
        std::copy(bytes.begin(), bytes.end(), data_);
    }
    ~GuardedBlock() { VirtualFree(base_, 0, MEM_RELEASE); }
    GuardedBlock(const GuardedBlock&) = delete;
    GuardedBlock& operator=(const GuardedBlock&) = delete;
    std::span<const uint8_t> Span() const { return {data_, size_}; }

private:
    std::size_t size_;
    uint8_t* base_ = nullptr;
    uint8_t* data_ = nullptr;
};

std::size_t IndexOf(const std::string& label) {
    for (std::size_t k = 0; k < Damages().size(); ++k)
        if (Damages()[k].label == label) return k;
    ADD_FAILURE() << label;
    return 0;
}

// A block whose fifth byte is a letter, which the system takes for a 16-bit block's key: read
// with the 32-bit layout it has no children; read with the 16-bit one (ANSI keys, values in
// bytes) its "StringFileInfo" reaches far past the block, and so does the walk through it.
Bytes SixteenBitBlock() {
    Bytes b(2 * 64 + 4, 0);
    SetWord(b, 0, 64);  // wLength
    SetWord(b, 2, 28);  // wValueLength: 28 bytes in the 16-bit layout, 56 in the 32-bit one
    b[4] = 'A';         // 16-bit key "A"; 32-bit type 0x41 and an empty key
    SetWord(b, 36, 0x7000);
    std::memcpy(&b[40], "StringFileInfo", 15);
    SetWord(b, 56, 0x0F00);  // its first child, whose successor lies past the block
    b[60] = 'X';
    return b;
}

// Every answer the product-information reader may ask of a block.
std::vector<std::optional<std::string>> Answers(Win32FileSystem& files, std::span<const uint8_t> block) {
    std::vector<std::optional<std::string>> answers;
    const auto translations = files.QueryTranslations(block);
    answers.push_back(translations ? std::optional<std::string>(std::to_string(translations->size())) : std::nullopt);
    for (const char* table : {"041104B0", "040904E4"})
        for (const char* key : {"CompanyName", "FileDescription", "FileVersion", "InternalName", "LegalCopyright",
                                "OriginalFilename", "ProductName", "ProductVersion"})
            answers.push_back(files.QueryString(block, std::string("\\StringFileInfo\\") + table + "\\" + key));
    return answers;
}

TEST(BrokenFiles, TheVersionReaderStaysInsideTheBlockItIsGiven) {
    DamagedFiles damaged;
    Win32FileSystem files;
    for (std::size_t k = 0; k < Damages().size(); ++k) {
        SCOPED_TRACE(Damages()[k].label);
        const std::string& path = damaged.PathOf(k);
        // The block read in one load has room for the "A" copies of whatever its length claims.
        const std::vector<uint8_t> block = files.VersionBlock(path);
        ASSERT_FALSE(block.empty());
        EXPECT_GE(block.size(), 2u * Word(block, 0) + 4);
        // The same bytes with nothing readable after them give the same answers.
        const GuardedBlock guarded(block);
        EXPECT_EQ(Answers(files, guarded.Span()), Answers(files, block));
        // A block of the size the system asks for, which a length past the data outgrows.
        std::vector<uint8_t> twoStep(files.VersionInfoSize(path));
        ASSERT_TRUE(files.ReadVersionInfo(path, twoStep));
        const GuardedBlock sized(twoStep);
        Answers(files, sized.Span());
    }
    // A value that runs past the resource is no value (the system converts what follows it).
    const std::string company = "\\StringFileInfo\\041104B0\\CompanyName";
    EXPECT_EQ(files.QueryString(files.VersionBlock(damaged.PathOf(IndexOf("CompanyPastTheEnd"))), company), std::nullopt);
    // Blocks too short for a header, and one the system reads with the 16-bit layout.
    for (const Bytes& bytes : {Bytes{}, Bytes{0x40, 0x00, 0x00}, SixteenBitBlock()}) {
        const GuardedBlock guarded(bytes);
        EXPECT_EQ(files.QueryTranslations(guarded.Span()), std::nullopt);
        EXPECT_EQ(files.QueryString(guarded.Span(), company), std::nullopt);
    }
}

// ---------------------------------------------------------------------------- the catalogue

TEST(BrokenFiles, DamagedVersionResourcesGiveWhatCanBeReadSoundly) {
    DamagedFiles damaged;
    Services services;
    for (std::size_t k = 0; k < Damages().size(); ++k)
        services.Add("RondelT_HB" + Damages()[k].label, {}, "\"" + damaged.PathOf(k) + "\" -k");

    BuiltCatalogue built;
    for (std::size_t k = 0; k < Damages().size(); ++k) {
        const Damage& damage = Damages()[k];
        ExpectListed(built, "RondelT_HB" + damage.label,
                     {"試験 HB" + damage.label, "\"" + damaged.PathOf(k) + "\" -k", damage.company, damage.description, ""});
    }
    ExpectTheRestListed(built);
}

// An icon file of one 32×32 image of 32 bits per pixel, its directory saying `count` images and
// the first at `offset`.
std::string IconFileBytes(uint16_t count = 1, uint32_t offset = 22) {
    std::string image(40 + 32 * 32 * 4 + 32 * 4, '\0');
    const uint32_t header[] = {40, 32, 64, 1 | 32 << 16};  // size, width, height of both masks, planes and bits
    std::memcpy(image.data(), header, sizeof header);
    for (std::size_t k = 40; k < 40 + 32 * 32 * 4; k += 4) std::memcpy(&image[k], "\xCC\x66\x33\xFF", 4);
    const uint32_t size = static_cast<uint32_t>(image.size());
    std::string directory(22, '\0');
    directory[2] = 1;
    std::memcpy(&directory[4], &count, 2);
    directory[6] = directory[7] = 32;
    directory[10] = 1;
    directory[12] = 32;
    std::memcpy(&directory[14], &size, 4);
    std::memcpy(&directory[18], &offset, 4);
    return directory + image;
}

uint32_t DwordAt(const std::string& bytes, std::size_t at) {
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + at, sizeof value);
    return value;
}

// The first `bytes` bytes of a file.
std::string Head(const std::string& file, std::size_t bytes) {
    std::string head(bytes, '\0');
    HANDLE opened = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(opened, head.data(), static_cast<DWORD>(bytes), &read, nullptr) && read == bytes);
    CloseHandle(opened);
    return head;
}

// Files the shell and the version library cannot read soundly: no crash, no error, "不明" (or
// "実行ファイルが見つかりません" where no file is), and the default icon where the icons cannot be
// read. The icons of a file cut after them still show.
TEST(BrokenFiles, DirectoriesLockedCutAndForeignFiles) {
    ScratchDirectory scratch("RondelBrokenFiles");
    const std::string intact = FixturePath("vi_japanese.exe");
    const std::string whole = Head(intact, 64 * 1024);
    const std::size_t icons = whole.find(std::string("\x28\0\0\0\x20\0\0\0\x40\0\0\0", 12));  // the 32×32 image
    const std::size_t version = whole.find(std::string("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0", 20));
    ASSERT_NE(icons, std::string::npos);
    ASSERT_NE(version, std::string::npos);
    ASSERT_LT(icons, version) << "the cuts below assume the icons come first";
    // The resource section's start in the file, from the section table.
    const auto field = [&](std::size_t at) { return DwordAt(whole, at); };
    const std::size_t header = field(60);
    const std::size_t sections = header + 24 + (field(header + 20) & 0xFFFF);
    std::size_t resources = 0;
    for (std::size_t k = 0; k < (field(header + 4) >> 16); ++k)
        if (whole.compare(sections + 40 * k, 6, std::string(".rsrc\0", 6)) == 0) resources = field(sections + 40 * k + 20);
    ASSERT_NE(resources, 0u);
    // The icon group (reserved 0, type 1, two 32×32 and 16×16 entries): its count made larger
    // than the file, which ends with it.
    const std::size_t group = whole.find(std::string("\0\0\x01\0\x02\0\x20\x20", 8));
    ASSERT_NE(group, std::string::npos);
    std::string groupCountBeyond = whole.substr(0, group + 6 + 2 * 14);
    groupCountBeyond.replace(group + 4, 2, "\xFF\xFF");
    std::string headerAtTheEnd(4096, '\0');
    headerAtTheEnd.replace(0, 2, "MZ");
    headerAtTheEnd.replace(60, 4, std::string("\xFE\x0F\0\0", 4));  // 4094: "PE" and two bytes past the end
    headerAtTheEnd.replace(4094, 2, "PE");
    const std::string locked = scratch.Copy(intact, "locked.exe");

    enum Icon { kDefault, kOwn, kAny };
    const struct {
        std::string label;
        std::string imagePath;
        std::string description;
        Icon icon;
    } cases[] = {
        {"Directory", scratch.Directory("folder.exe"), kNotFound, kDefault},
        {"DirectoryNoExtension", scratch.Directory("folder"), kNotFound, kDefault},
        {"Locked", locked, kUnknown, kAny},
        {"CutInTheHeaders", scratch.Write("cut-headers.exe", whole.substr(0, 1024)), kUnknown, kDefault},
        {"CutInTheResources", scratch.Write("cut-resources.exe", whole.substr(0, resources + 20)), kUnknown, kDefault},
        {"CutInTheIcons", scratch.Write("cut-icons.exe", whole.substr(0, icons + 200)), kUnknown, kDefault},
        {"GroupCountBeyond", scratch.Write("group-count.exe", groupCountBeyond), kUnknown, kDefault},
        {"CutInTheVersion", scratch.Write("cut-version.exe", whole.substr(0, version + 200)), kUnknown, kOwn},
        {"HeaderAtTheEnd", scratch.Write("header-end.exe", headerAtTheEnd), kUnknown, kDefault},
        {"IconFile", scratch.Write("icon.exe", IconFileBytes()), kUnknown, kOwn},
        {"IconFileCountBeyond", scratch.Write("icon-count.exe", IconFileBytes(1000)), kUnknown, kDefault},
        {"IconFileImageBeyond", scratch.Write("icon-offset.exe", IconFileBytes(1, 0x7FFF0000)), kUnknown, kDefault},
        {"Text", scratch.Write("text.exe", "これは実行ファイルではありません\r\n"), kUnknown, kAny},
        {"Empty", scratch.Write("empty.exe", ""), kUnknown, kAny},
    };

    Services services;
    for (const auto& c : cases) services.Add("RondelT_HF" + c.label, {}, c.imagePath);

    // Held open without sharing while the catalogue reads it: nobody else may open it.
    HANDLE holder = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileA(locked.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    BuiltCatalogue built;
    CloseHandle(holder);

    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const auto found = built.Stopped("RondelT_HF" + c.label);
        ASSERT_TRUE(found.has_value());
        EXPECT_EQ(found->first.executablePath, c.imagePath);
        EXPECT_EQ(found->first.company, kUnknown);
        EXPECT_EQ(found->first.description, c.description);
        EXPECT_TRUE(built.ErrorsOf("RondelT_HF" + c.label).empty());
        if (c.icon != kAny) {
            EXPECT_EQ(found->second, c.icon == kDefault) << "the default icon";
        }
    }
    ExpectTheRestListed(built);
}

}  // namespace
