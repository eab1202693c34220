// IconsLieWithin over any file's bytes: every read it makes lies within them (the reader marks
// itself failed on a read outside a source in memory, which never fails otherwise).
#include <cstdlib>
#include <span>

#include "platform/IconResources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    rondel::platform::MemorySource source(std::span<const uint8_t>(data, size));
    rondel::platform::ByteReader file(source);
    rondel::platform::IconsLieWithin(file);
    if (file.Failed()) std::abort();
    return 0;
}
