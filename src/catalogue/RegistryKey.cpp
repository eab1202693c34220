#include "catalogue/RegistryKey.h"

namespace rondel {

using namespace platform;

namespace {

std::string Quoted(const std::string& name, const char* rest) {
    return "'" + name + "' " + rest;
}

}  // namespace

std::string RegistryKey::GetDataFailedText(const std::string& name) {
    return Quoted(name, "の取得に失敗しました");
}

std::string RegistryKey::InvalidDataTypeText(const std::string& name) {
    return Quoted(name, "のデータ型が不正です");
}

std::string RegistryKey::SetDataFailedText(const std::string& name) {
    return Quoted(name, "の設定に失敗しました");
}

bool RegistryKey::OpenKey(const std::string& path, uint32_t access) {
    key_.reset();
    std::string subKey = path;
    if (!subKey.empty() && subKey.front() == '\\') subKey.erase(0, 1);
    uint32_t error = 0;
    key_ = registry_.OpenKey(root_, subKey, access, error);
    return error == kErrorSuccess && static_cast<bool>(key_);
}

bool RegistryKey::ValueExists(const std::string& name) {
    if (!key_) return false;
    RegistryData data;
    return registry_.QueryValue(key_.get(), name, data) == kErrorSuccess;
}

std::string RegistryKey::ReadString(const std::string& name) {
    RegistryData data;
    if (!key_ || registry_.QueryValue(key_.get(), name, data) != kErrorSuccess) return {};
    if (data.bytes.empty()) return {};
    if (data.type != kRegSz && data.type != kRegExpandSz) throw RegistryError(InvalidDataTypeText(name));
    std::string text(data.bytes.begin(), data.bytes.end());
    const auto nul = text.find('\0');
    if (nul != std::string::npos) text.resize(nul);
    return text;
}

int32_t RegistryKey::ReadInteger(const std::string& name) {
    RegistryData data;
    if (!key_ || registry_.QueryValue(key_.get(), name, data) != kErrorSuccess)
        throw RegistryError(GetDataFailedText(name));
    if (data.type != kRegDword || data.bytes.size() != 4) throw RegistryError(InvalidDataTypeText(name));
    const uint32_t value = uint32_t(data.bytes[0]) | uint32_t(data.bytes[1]) << 8 |
                           uint32_t(data.bytes[2]) << 16 | uint32_t(data.bytes[3]) << 24;
    return static_cast<int32_t>(value);
}

std::vector<uint8_t> RegistryKey::ReadBinaryData(const std::string& name, std::size_t maxSize) {
    RegistryData data;
    if (!key_ || registry_.QueryValue(key_.get(), name, data) != kErrorSuccess)
        throw RegistryError(GetDataFailedText(name));
    if (data.type == kRegSz || data.type == kRegExpandSz || data.type == kRegDword ||
        data.bytes.size() > maxSize)
        throw RegistryError(InvalidDataTypeText(name));
    return std::move(data.bytes);
}

void RegistryKey::WriteInteger(const std::string& name, int32_t value) {
    const auto v = static_cast<uint32_t>(value);
    const uint8_t bytes[4] = {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
    if (!key_ || registry_.SetValue(key_.get(), name, kRegDword, bytes) != kErrorSuccess)
        throw RegistryError(SetDataFailedText(name));
}

}  // namespace rondel
