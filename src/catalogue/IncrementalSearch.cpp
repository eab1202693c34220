#include "catalogue/IncrementalSearch.h"

#include <string_view>

#include "catalogue/ServiceEntry.h"
#include "text/AnsiText.h"

namespace rondel {

bool ServiceStartsWith(const ServiceEntry& entry, const std::string& prefix) {
    return StartsWithNoCase(entry.serviceName, prefix) || StartsWithNoCase(entry.displayName, prefix);
}

int IncrementalSearch::Type(char byte, uint64_t nowMs, const std::vector<ServiceEntry>& entries, int selected) {
    if (typed_.empty() || nowMs - lastKeyMs_ >= kPauseMs) typed_.clear();
    lastKeyMs_ = nowMs;
    typed_ += byte;

    // The characters typed so far; a lone lead byte waits for its trail byte.
    const std::string_view typed = typed_;
    const std::string_view first = typed.substr(0, CharLength(typed, 0));
    std::size_t characters = 0;
    bool repeated = true;
    for (std::size_t i = 0; i < typed.size(); i += CharLength(typed, i)) {
        ++characters;
        repeated = repeated && typed.substr(i, CharLength(typed, i)) == first;
        if (i + 1 == typed.size() && IsLeadByte(static_cast<unsigned char>(typed[i]))) return -1;
    }
    repeated = repeated && characters > 1;
    const std::string prefix(repeated ? first : typed);
    const bool fresh = characters == 1 || repeated;

    const int count = static_cast<int>(entries.size());
    if (count == 0) return -1;
    const int begin = selected < 0 ? 0 : (fresh ? selected + 1 : selected) % count;
    for (int k = 0; k < count; ++k) {
        const int index = (begin + k) % count;
        if (ServiceStartsWith(entries[static_cast<std::size_t>(index)], prefix)) return index;
    }
    return -1;
}

}  // namespace rondel
