#include "platform/VersionBlock.h"

#include <optional>
#include <string>
#include <vector>

namespace rondel::platform {

namespace {

// Room for count bytes at offset at.
bool Holds(std::span<const uint8_t> bytes, std::size_t at, std::size_t count) {
    return at <= bytes.size() && count <= bytes.size() - at;
}
constexpr std::size_t AlignFour(std::size_t n) { return (n + 3) & ~std::size_t{3}; }

// A node of a version block: wLength, wValueLength, wType, the key in UTF-16 with its NUL, then,
// each aligned to four bytes from the node's start, the value (wValueLength UTF-16 units when
// wType is not 0, else bytes) and the children.
struct VersionNode {
    std::size_t end = 0;       // offset of the node's end
    std::size_t keyUnits = 0;  // the key's length without its NUL
    std::size_t valueEnd = 0;
    std::size_t children = 0;  // offset of the first child
};

// The node at `at` if it lies within limit (header, key and NUL included).
std::optional<VersionNode> NodeWithin(std::span<const uint8_t> block, std::size_t at, std::size_t limit) {
    if (limit > block.size() || at + 6 > limit) return std::nullopt;
    const std::size_t length = WordAt(block, at);
    if (length < 6 || at + length > limit) return std::nullopt;
    VersionNode node;
    node.end = at + length;
    std::size_t key = at + 6;
    for (; key + 2 <= node.end && WordAt(block, key) != 0; key += 2) {}
    if (key + 2 > node.end) return std::nullopt;
    node.keyUnits = (key - at - 6) / 2;
    const std::size_t value = at + AlignFour(key + 2 - at);
    const std::size_t valueBytes = std::size_t{WordAt(block, at + 2)} * (WordAt(block, at + 4) != 0 ? 2 : 1);
    node.valueEnd = value + valueBytes;
    node.children = value + AlignFour(valueBytes);
    return node;
}

// Whether looking up the rest of a path below `node` stays within the resource (rootEnd bytes).
// The lookup passes the children in order up to the one whose key matches without regard to
// case; each it may pass must lie within its parent, and one of length 0, which ends the list,
// must begin with an empty key (the lookup reads the key before the length). Every child whose
// key has the component's length is followed, so no way of matching keys can lead elsewhere.
bool LookupStaysInside(std::span<const uint8_t> block, const VersionNode& node, std::span<const std::size_t> rest,
                       std::size_t rootEnd) {
    if (rest.empty()) return node.valueEnd <= rootEnd;
    for (std::size_t at = node.children; at < node.end; at += AlignFour(WordAt(block, at))) {
        if (!Holds(block, at, 8)) return false;
        if (WordAt(block, at) == 0) return WordAt(block, at + 6) == 0;
        const std::optional<VersionNode> child = NodeWithin(block, at, node.end);
        if (!child) return false;
        if (child->keyUnits == rest.front() && !LookupStaysInside(block, *child, rest.subspan(1), rootEnd)) return false;
    }
    return true;
}

}  // namespace

uint16_t WordAt(std::span<const uint8_t> bytes, std::size_t at) {
    return static_cast<uint16_t>(bytes[at] | bytes[at + 1] << 8);
}

bool VersionQueryStaysInBlock(std::span<const uint8_t> block, std::u16string_view path) {
    if (!Holds(block, 0, 8) || block[4] >= 0x20) return false;
    const std::size_t rootEnd = WordAt(block, 0);
    if (2 * rootEnd + 4 > block.size()) return false;
    const std::optional<VersionNode> root = NodeWithin(block, 0, rootEnd);
    if (!root) return false;
    // The path's components in UTF-16 units, split as the system splits it.
    std::vector<std::size_t> components;
    std::size_t units = 0;
    for (const char16_t c : std::u16string(path) + u'\\') {
        if (c != u'\\') {
            ++units;
        } else if (units > 0) {
            components.push_back(units);
            units = 0;
        }
    }
    return LookupStaysInside(block, *root, components, rootEnd);
}


}  // namespace rondel::platform
