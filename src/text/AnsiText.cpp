#include "text/AnsiText.h"

namespace rondel {

std::size_t CharLength(std::string_view text, std::size_t i) {
    if (i + 1 < text.size() && IsLeadByte(static_cast<unsigned char>(text[i]))) return 2;
    return 1;
}

std::size_t StrictCharLength(std::string_view text, std::size_t i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c < 0x80 || (c >= 0xA1 && c <= 0xDF)) return 1;
    if (!IsLeadByte(c) || i + 1 >= text.size()) return 0;
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    return (trail >= 0x40 && trail <= 0x7E) || (trail >= 0x80 && trail <= 0xFC) ? 2 : 0;
}

namespace {

constexpr wchar_t kReplacementCharacter = 0xFFFD;

void AppendRun(std::wstring& wide, std::string_view run, const WideDecoder& decode) {
    if (const std::optional<std::wstring> whole = decode(run)) {
        wide += *whole;
        return;
    }
    for (std::size_t i = 0; i < run.size();) {
        const std::size_t length = StrictCharLength(run, i);
        const std::optional<std::wstring> one = decode(run.substr(i, length));
        wide += one ? *one : std::wstring(1, kReplacementCharacter);
        i += length;
    }
}

}  // namespace

std::wstring DecodeCodePage932(std::string_view text, const WideDecoder& decode) {
    std::wstring wide;
    std::size_t i = 0;
    while (i < text.size()) {
        std::size_t end = i;
        while (end < text.size()) {
            const std::size_t length = StrictCharLength(text, end);
            if (length == 0) break;
            end += length;
        }
        if (end > i) AppendRun(wide, text.substr(i, end - i), decode);
        if (end < text.size()) {
            wide += kReplacementCharacter;
            ++end;
        }
        i = end;
    }
    return wide;
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
    for (std::size_t i = 0; i < lowered.size(); i += CharLength(lowered, i)) {
        char& c = lowered[i];
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

bool ContainsNoCase(std::string_view text, std::string_view part) {
    if (part.empty()) return true;
    for (std::size_t i = 0; i + part.size() <= text.size(); i += CharLength(text, i))
        if (StartsWithNoCase(text.substr(i), part)) return true;
    return false;
}

}  // namespace rondel
