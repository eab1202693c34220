// What the fuzz targets share: checks that count as crashes, the controlled environment, and
// the small line format the structured targets read their machine from.
//
// Line format: one directive per line, fields separated by TAB; inside a field \t \r \n \0 \\
// and \xHH stand for their bytes, so any byte can reach the program. Numbers are decimal or 0x
// hexadecimal; what does not parse reads as 0. Unknown directives are ignored.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "FakePlatform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size);

namespace rondel::fuzz {

// A broken invariant ends the run like a crash, so libFuzzer keeps the input.
[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::abort();
}

inline std::string Text(const uint8_t* data, std::size_t size) {
    return std::string(reinterpret_cast<const char*>(data), size);
}

inline bool HasTabOrLineBreak(std::string_view text) {
    return text.find_first_of("\t\r\n") != std::string_view::npos;
}

// The variables every path target expands against: the usual ones, a Japanese directory,
// one exactly as long as a path may be, and one that never fits a path.
inline void ControlledEnvironment(fake::FakeEnvironment& environment) {
    environment.variables = {
        {"SystemRoot", "C:\\WINDOWS"},
        {"windir", "C:\\WINDOWS"},
        {"ProgramFiles", "C:\\Program Files"},
        {"TEMP", "C:\\Temp"},
        {"RondelHome", "C:\\サービス\\表"},
        {"Edge", "C:\\" + std::string(256, 'e')},
        {"TooLong", "C:\\" + std::string(297, 'L')},
        {"Nested", "%TEMP%\\x"},
        {"WithNul", std::string("C:\\a\0b", 6)},
        {"Empty", ""},
    };
    environment.systemDirectory = "C:\\WINDOWS\\system32";
}

inline std::vector<std::string_view> SplitOn(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos) return parts;
        start = end + 1;
    }
}

inline int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

inline std::string Unescape(std::string_view field) {
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\' || i + 1 == field.size()) {
            text += field[i];
            continue;
        }
        const char c = field[++i];
        if (c == 't') {
            text += '\t';
        } else if (c == 'r') {
            text += '\r';
        } else if (c == 'n') {
            text += '\n';
        } else if (c == '0') {
            text += '\0';
        } else if (c == 'x' && i + 2 < field.size() && HexDigit(field[i + 1]) >= 0 && HexDigit(field[i + 2]) >= 0) {
            text += static_cast<char>(HexDigit(field[i + 1]) * 16 + HexDigit(field[i + 2]));
            i += 2;
        } else {
            text += c;
        }
    }
    return text;
}

inline uint32_t Number(std::string_view field) {
    const std::string text(field);
    return static_cast<uint32_t>(std::strtoul(text.c_str(), nullptr, 0));
}

// The directives of an input: each line's fields, unescaped.
inline std::vector<std::vector<std::string>> Directives(const uint8_t* data, std::size_t size) {
    std::vector<std::vector<std::string>> directives;
    const std::string text = Text(data, size);
    for (const std::string_view line : SplitOn(text, '\n')) {
        std::vector<std::string> fields;
        for (const std::string_view field : SplitOn(line, '\t')) fields.push_back(Unescape(field));
        directives.push_back(std::move(fields));
    }
    return directives;
}

// Field k of a directive, or empty.
inline std::string FieldOf(const std::vector<std::string>& directive, std::size_t k) {
    return k < directive.size() ? directive[k] : std::string();
}

}  // namespace rondel::fuzz

#define FUZZ_CHECK(condition) ((condition) ? void(0) : ::rondel::fuzz::Fail(#condition, __FILE__, __LINE__))
