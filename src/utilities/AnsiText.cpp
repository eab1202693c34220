#include "utilities/AnsiText.h"

namespace rondel {

std::size_t CharLength(std::string_view text, std::size_t i) {
    if (i + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[i]))) return 2;
    return 1;
}

std::size_t LastDelimiter(std::string_view text, std::string_view chars) {
    std::size_t found = std::string_view::npos;
    for (std::size_t i = 0; i < text.size(); i += CharLength(text, i)) {
        if (chars.find(text[i]) != std::string_view::npos) found = i;
    }
    return found;
}

void CutToLength(std::string& text, std::size_t maxBytes) {
    if (text.size() <= maxBytes) return;
    std::size_t end = 0;
    while (end < text.size()) {
        const std::size_t next = end + CharLength(text, end);
        if (next > maxBytes) break;
        end = next;
    }
    text.resize(end);
}

std::string AsciiLower(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lowered;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (prefix.size() > text.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); i += CharLength(prefix, i)) {
        const bool same = CharLength(prefix, i) == 2 ? text.substr(i, 2) == prefix.substr(i, 2)
                                                     : AsciiLower(text.substr(i, 1)) == AsciiLower(prefix.substr(i, 1));
        if (!same) return false;
    }
    return true;
}

}  // namespace rondel
