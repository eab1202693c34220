// Type-to-find in a service list: the letters typed in quick succession name the service to
// select, by the start of its service name or display name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/ServiceEntry.h"

namespace rondel {

class IncrementalSearch {
public:
    // A pause this long (or longer) between two keys starts a new search.
    static constexpr uint64_t kPauseMs = 1000;

    // One typed byte (code page 932; a double-byte character comes as its two bytes) at time
    // nowMs, over the list's entries with `selected` selected (-1 for none). Returns the item to
    // select, or -1 when none matches or the character is not complete yet.
    //
    // A new search begins after the selected item; a search that goes on begins at it, so the
    // item found stays while it still matches. The same character typed again and again steps
    // through the items that begin with it. The search wraps at the end of the list.
    int Type(char byte, uint64_t nowMs, const std::vector<ServiceEntry>& entries, int selected);

    // What has been typed in the current search.
    const std::string& Typed() const { return typed_; }

private:
    std::string typed_;
    uint64_t lastKeyMs_ = 0;
};

// Whether a service's name or display name begins with prefix (StartsWithNoCase).
bool ServiceStartsWith(const ServiceEntry& entry, const std::string& prefix);

}  // namespace rondel
