#include "platform/ByteReader.h"

#include <algorithm>

namespace rondel::platform {

bool MemorySource::Read(std::size_t at, std::span<uint8_t> into) {
    if (at > bytes_.size() || into.size() > bytes_.size() - at) return false;
    std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(at), into.size(), into.begin());
    return true;
}

uint8_t ByteReader::Byte(std::size_t at) {
    if (at >= size_) {  // the callers check the room; a slip reads zeros and fails the bytes
        failed_ = true;
        return 0;
    }
    auto page = pages_.find(at / kPage);
    if (page == pages_.end()) {
        const std::size_t start = at / kPage * kPage;
        std::vector<uint8_t> bytes(std::min(kPage, size_ - start));
        if (!source_.Read(start, bytes)) {
            failed_ = true;
            std::fill(bytes.begin(), bytes.end(), uint8_t{0});
        }
        page = pages_.emplace(at / kPage, std::move(bytes)).first;
    }
    return page->second[at % kPage];
}

}  // namespace rondel::platform
