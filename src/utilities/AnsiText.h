// Byte rules for code-page-932 text (Shift-JIS): what counts as a character of its own.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace rondel {

// Lead bytes of a double-byte character: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length in bytes of the character that starts at position i (1 or 2; 1 at the end of text).
std::size_t CharLength(std::string_view text, std::size_t i);

// Index of the last byte that is one of `chars` and a character of its own (not the trail
// byte of a double-byte character), or npos.
std::size_t LastDelimiter(std::string_view text, std::string_view chars);

// Cuts the text to at most maxBytes bytes without splitting a double-byte character.
void CutToLength(std::string& text, std::size_t maxBytes);

// Paths are at most 259 characters: MAX_PATH less the terminating NUL.
inline constexpr std::size_t kMaxPathLength = 259;
inline void CutToPathLength(std::string& text) { CutToLength(text, kMaxPathLength); }

// Lowers the ASCII letters A-Z only; every other byte stays.
std::string AsciiLower(std::string_view text);

// Whether text begins with prefix, ASCII letters compared without regard to case and
// double-byte characters compared whole (their trail bytes are never letters).
bool StartsWithNoCase(std::string_view text, std::string_view prefix);

}  // namespace rondel
