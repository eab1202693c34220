// Environment expansion and the reduction of a stored image path to its executable.
//
// Every character these rules look for except the backslash lies below 0x40 and so is never
// the trail byte of a double-byte character: byte-wise searches for them are exact.
#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>

#include "catalogue/WexFunc.h"
#include "text/AnsiText.h"

namespace rondel {

namespace {

constexpr std::size_t npos = std::string::npos;

// Blanks and control characters (codes 1 to 32). Unsigned: lead bytes are 0x81 and up.
bool IsBlankOrControl(char c) { return static_cast<unsigned char>(c) <= 32; }

// Windows sees the text only up to its first NUL.
void CutAtNul(std::string& text) {
    const std::size_t nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
}

std::size_t Count(const std::string& text, char c) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), c));
}

// A variable as GetEnvironmentVariableA leaves it in a path buffer: a value that does not fit
// leaves the buffer empty, the same as an unset variable.
std::string PathVariable(platform::IEnvironment& environment, const std::string& name) {
    if (name.empty()) return {};
    std::optional<std::string> value = environment.Variable(name);
    if (!value || value->size() > kMaxPathLength) return {};
    return value->substr(0, value->find('\0'));
}

// The first field of a list separated by commas and blanks, where a field may be enclosed in
// `quote` (a doubled quote inside stands for one). nullopt when the text has no field at all.
std::optional<std::string> FirstField(const std::string& text, char quote) {
    std::size_t i = 0;
    while (i < text.size() && IsBlankOrControl(text[i])) ++i;
    if (i == text.size()) return std::nullopt;

    if (text[i] != quote) {
        std::size_t end = i;
        while (end < text.size() && !IsBlankOrControl(text[end]) && text[end] != ',') ++end;
        return text.substr(i, end - i);
    }

    const std::size_t start = i + 1;
    std::string field;
    field.reserve(text.size() - start);  // one allocation, not one per byte
    for (std::size_t j = start; j < text.size(); ++j) {
        if (text[j] != quote) {
            field += text[j];
        } else if (j + 1 < text.size() && text[j + 1] == quote) {
            field += quote;
            ++j;
        } else {
            return field;
        }
    }
    // No closing quote: the rest of the text less its last character (a whole character, so a
    // double-byte one is not split).
    std::string rest = text.substr(start);
    std::size_t last = 0;
    for (std::size_t k = 0; k < rest.size(); k += CharLength(rest, k)) last = k;
    rest.resize(last);
    return rest;
}

// One pass of quote removal; false when no kind of quote counts.
bool RemoveQuotes(std::string& text) {
    const std::size_t apostrophe = text.find('\'');
    const std::size_t colon = text.find(':');
    // An apostrophe after the drive colon belongs to a name ("Don't Panic").
    const bool singleCounts = apostrophe != npos && colon != npos && colon > apostrophe && Count(text, '\'') >= 2;
    const bool doubleCounts = Count(text, '"') >= 2;
    if (!singleCounts && !doubleCounts) return false;

    const char quote = singleCounts && (!doubleCounts || apostrophe < text.find('"')) ? '\'' : '"';
    if (std::optional<std::string> field = FirstField(text, quote)) text = std::move(*field);
    return true;
}

void CutAtFirstBlankFrom(std::string& text, std::size_t from) {
    const std::size_t blank = text.find(' ', from);
    if (blank != npos) text.resize(blank);
}

}  // namespace

void ExpandEnvironmentVariable(std::string& text, platform::IEnvironment& environment) {
    CutAtNul(text);
    CutToPathLength(text);
    const std::size_t open = text.find('%');
    if (open == npos) return;
    const std::size_t close = text.find('%', open + 1);
    if (close == npos) return;

    const std::string value = PathVariable(environment, text.substr(open + 1, close - open - 1));
    // The text in front of the reference stays: an argument's reference must not cost the
    // executable's path in front of it.
    text = text.substr(0, open) + value + text.substr(close + 1);
    CutToPathLength(text);
}

void ExtractExecutablePath(std::string& text, platform::IEnvironment& environment) {
    CutAtNul(text);
    CutToPathLength(text);

    // Nested quotes come off one kind per pass.
    for (int pass = 0; pass < 4; ++pass) {
        if (!RemoveQuotes(text)) break;
    }

    const std::size_t comma = text.find(',');
    if (comma != npos) text.resize(comma);

    if (text.find('%') != npos) ExpandEnvironmentVariable(text, environment);

    // "foo.exe /run": the arguments start at the first blank after the extension's full stop.
    const std::size_t stop = text.find('.');
    if (stop != npos) CutAtFirstBlankFrom(text, stop + 1);

    // "svchost -k rpcss": no extension, but the arguments follow the directory part.
    const std::size_t directoryEnd = LastDelimiter(text, "\\:");
    CutAtFirstBlankFrom(text, directoryEnd == npos ? 0 : directoryEnd + 1);

    CutToPathLength(text);
}

std::string GetSystemDir(platform::IEnvironment& environment) {
    std::string directory = environment.SystemDirectory();
    return directory.substr(0, directory.find('\0'));
}

}  // namespace rondel
