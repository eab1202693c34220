// ExtractExecutablePath on any stored image path: never more than a path, never a NUL, and a
// plain path comes back as it was.
#include <string>

#include "FuzzSupport.h"
#include "catalogue/WexFunc.h"
#include "text/AnsiText.h"

namespace {

// Nothing the rule cuts at or removes: no quotes, commas, references, blanks or NULs.
bool IsPlainPath(const std::string& text) {
    return text.size() <= rondel::kMaxPathLength &&
           text.find_first_of(std::string("\"',% \0", 6)) == std::string::npos;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    rondel::fake::FakeEnvironment environment;
    rondel::fuzz::ControlledEnvironment(environment);
    const std::string stored = rondel::fuzz::Text(data, size);

    std::string path = stored;
    rondel::ExtractExecutablePath(path, environment);
    FUZZ_CHECK(path.size() <= rondel::kMaxPathLength);
    FUZZ_CHECK(path.find('\0') == std::string::npos);
    if (IsPlainPath(stored)) FUZZ_CHECK(path == stored);
    return 0;
}
