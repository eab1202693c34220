// VersionQueryStaysInBlock over any block and any path: the input's first line is the path (each
// byte one UTF-16 unit), the rest the block, copied to a buffer of exactly its size so that a
// read past it is caught. When the walk is said to stay
// inside, the block holds its header and the room for the system's copies.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/VersionBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const uint8_t* end = data + size;
    const uint8_t* newline = std::find(data, end, '\n');
    std::u16string path;
    for (const uint8_t* p = data; p != newline; ++p) path += static_cast<char16_t>(*p);
    const std::vector<uint8_t> block(newline == end ? end : newline + 1, end);
    if (rondel::platform::VersionQueryStaysInBlock(block, path)) {
        if (block.size() < 8 || 2 * std::size_t{rondel::platform::WordAt(block, 0)} + 4 > block.size()) std::abort();
    }
    return 0;
}
