#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "utilities/AnsiText.h"

namespace rondel {
namespace {

// The host's converter, strict as MultiByteToWideChar with MB_ERR_INVALID_CHARS: nothing when
// any character is undefined.
std::optional<std::wstring> HostDecode(std::string_view characters) {
    iconv_t cd = iconv_open("WCHAR_T", "CP932");
    std::string in(characters);
    std::wstring out(in.size() + 1, L'\0');
    char* from = in.data();
    char* to = reinterpret_cast<char*>(out.data());
    std::size_t left = in.size(), room = out.size() * sizeof(wchar_t);
    const std::size_t converted = iconv(cd, &from, &left, &to, &room);
    iconv_close(cd);
    if (converted == static_cast<std::size_t>(-1)) return std::nullopt;
    out.resize(out.size() - room / sizeof(wchar_t));
    return out;
}

TEST(DecodeCodePage932, BytesThatBeginNoCharacterAndUndefinedCharactersBecomeTheReplacementCharacter) {
    const struct {
        std::string bytes;
        std::wstring text;
    } cases[] = {
        {"", L""},
        {"abc\r\n", L"abc\r\n"},
        {"\xB1\xDF", L"\xFF71\xFF9F"},                        // half-width katakana
        {"\x8E\x8E\x8C\xB1", L"\x8A66\x9A13"},                // 試験
        {"\x81\x40\x81\x81", L"\x3000\xFF1D"},                // trail bytes from both ranges
        {"\x81\x45", L"\x30FB"},                              // the converter's own default character
        {"\xF0\x40", L"\xE000"},                              // the user-defined area, as the code page maps it
        {"a\x82", L"a\xFFFD"},                                // a lead byte at the end
        {"\x81" " b", L"\xFFFD b"},                           // a lead byte before ASCII keeps the ASCII
        {"\x81\x7F", L"\xFFFD\x7F"},
        {"\x81\xFD" "c", L"\xFFFD\xFFFD" L"c"},
        {"\x80|\xA0|\xFD\xFE\xFF", L"\xFFFD|\xFFFD|\xFFFD\xFFFD\xFFFD"},
        {"x\x85\x40y\x82\xA0", L"x\xFFFDy\x3042"},            // undefined: the rest of the run still converted
        {"\xEB\x40\xFC\xFC", L"\xFFFD\xFFFD"},
    };
    for (const auto& c : cases) {
        std::string shown;
        for (const char byte : c.bytes) shown += std::to_string(static_cast<unsigned char>(byte)) + " ";
        EXPECT_EQ(DecodeCodePage932(c.bytes, HostDecode), c.text) << shown;
    }
}

}  // namespace
}  // namespace rondel
