// ExpandEnvironmentVariable: the first line is the text, every further line "NAME=VALUE" sets
// a variable (the controlled ones stay). The result is never more than a path and holds no
// NUL; the text in front of the reference stays, and a text without one is only cut.
#include <algorithm>
#include <string>

#include "FuzzSupport.h"
#include "catalogue/WexFunc.h"
#include "text/AnsiText.h"

namespace {

// The text as the rule reads it: up to its first NUL, cut to a path's length.
std::string AsRead(std::string text) {
    text.resize(std::min(text.size(), text.find('\0')));
    rondel::CutToPathLength(text);
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    rondel::fake::FakeEnvironment environment;
    rondel::fuzz::ControlledEnvironment(environment);
    const std::string input = rondel::fuzz::Text(data, size);
    const auto lines = rondel::fuzz::SplitOn(input, '\n');
    for (std::size_t k = 1; k < lines.size(); ++k) {
        const std::size_t equals = lines[k].find('=');
        if (equals != std::string::npos)
            environment.variables[std::string(lines[k].substr(0, equals))] = std::string(lines[k].substr(equals + 1));
    }
    const std::string text(lines[0]);

    std::string expanded = text;
    rondel::ExpandEnvironmentVariable(expanded, environment);
    FUZZ_CHECK(expanded.size() <= rondel::kMaxPathLength);
    FUZZ_CHECK(expanded.find('\0') == std::string::npos);

    const std::string read = AsRead(text);
    const std::size_t open = read.find('%');
    const bool reference = open != std::string::npos && read.find('%', open + 1) != std::string::npos;
    if (!reference) FUZZ_CHECK(expanded == read);
    if (reference) FUZZ_CHECK(expanded.compare(0, open, read, 0, open) == 0);
    return 0;
}
