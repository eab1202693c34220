// Byte rules for code-page-932 text (Shift-JIS): what counts as a character of its own.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace rondel {

// Lead bytes of a double-byte character: 0x81-0x9F and 0xE0-0xFC.
constexpr bool IsLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Length in bytes of the character that starts at position i (1 or 2; 1 at the end of text).
std::size_t CharLength(std::string_view text, std::size_t i);

// Length of the character that starts at position i when the bytes are read strictly: 1 for a
// single-byte character (0x00-0x7F, 0xA1-0xDF), 2 for a lead byte followed by a trail byte
// (0x40-0x7E, 0x80-0xFC), 0 when the byte begins no character (0x80, 0xA0, 0xFD-0xFF, a lead
// byte at the end or before a byte that cannot follow it).
std::size_t StrictCharLength(std::string_view text, std::size_t i);

// Turns whole characters of code page 932 into wide characters, or gives nothing when one of
// them is not defined. Windows does it with MultiByteToWideChar (platform::WideFromCodePage932);
// the native tests with the host's converter.
using WideDecoder = std::function<std::optional<std::wstring>(std::string_view characters)>;

// Code-page-932 text as wide characters: each byte that begins no character, and each character
// that decode refuses, becomes U+FFFD; the bytes after it are read on as they stand. The runs of
// characters between such bytes go to decode whole, and one character at a time only when it
// refuses the run.
std::wstring DecodeCodePage932(std::string_view text, const WideDecoder& decode);

// Index of the last byte that is one of `chars` and a character of its own (not the trail
// byte of a double-byte character), or npos.
std::size_t LastDelimiter(std::string_view text, std::string_view chars);

// Cuts the text to at most maxBytes bytes without splitting a double-byte character.
void CutToLength(std::string& text, std::size_t maxBytes);

// Paths are at most 259 characters: MAX_PATH less the terminating NUL.
inline constexpr std::size_t kMaxPathLength = 259;
inline void CutToPathLength(std::string& text) { CutToLength(text, kMaxPathLength); }

// Lowers the ASCII letters A-Z only; every other byte stays, the trail bytes of double-byte
// characters among them (ア, 0x83 0x41, is not ヂ, 0x83 0x61).
std::string AsciiLower(std::string_view text);

// Whether text begins with prefix, ASCII letters compared without regard to case and
// double-byte characters compared whole (their trail bytes are never letters).
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
// Whether text holds part at the start of one of its characters, compared as StartsWithNoCase
// does; an empty part is held by every text.
bool ContainsNoCase(std::string_view text, std::string_view part);

}  // namespace rondel
