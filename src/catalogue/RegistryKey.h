// A registry key object that raises RegistryError, the way the program's reads expect:
// a missing string reads as empty, a missing integer or a value of the wrong kind is an error.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/Platform.h"

namespace rondel {

// Carries the program's own Japanese text (code page 932), e.g. "'Type' の取得に失敗しました".
class RegistryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class RegistryKey {
public:
    RegistryKey(platform::IRegistry& registry, platform::RawHandle root = platform::kHkeyLocalMachine)
        : registry_(registry), root_(root) {}

    // Opens an existing key; a leading backslash means "from the root key". Never creates.
    // Closes the key held before. False when the key cannot be opened with that access.
    bool OpenKey(const std::string& path, uint32_t access = platform::kKeyAllAccess);
    void CloseKey() { key_.reset(); }
    bool IsOpen() const { return static_cast<bool>(key_); }

    bool ValueExists(const std::string& name);
    // A REG_SZ or REG_EXPAND_SZ value as stored, up to its first NUL; empty when missing.
    std::string ReadString(const std::string& name);
    // A REG_DWORD value.
    int32_t ReadInteger(const std::string& name);
    // Raw bytes of any type except the string and integer types; at most maxSize bytes.
    std::vector<uint8_t> ReadBinaryData(const std::string& name, std::size_t maxSize);
    void WriteInteger(const std::string& name, int32_t value);

    static std::string GetDataFailedText(const std::string& name);    // "'%s' の取得に失敗しました"
    static std::string InvalidDataTypeText(const std::string& name);  // "'%s' のデータ型が不正です"
    static std::string SetDataFailedText(const std::string& name);    // "'%s' の設定に失敗しました"

private:
    platform::IRegistry& registry_;
    platform::RawHandle root_;
    platform::RegistryKeyHandle key_;
};

}  // namespace rondel
