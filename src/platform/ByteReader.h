// Untrusted bytes (a file the shell is about to map, a version block the system is about to
// walk) read as the checks ask for them, never past their end.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <vector>

namespace rondel::platform {

// Where the bytes come from: a file on the disk, or bytes in memory.
class IByteSource {
public:
    virtual ~IByteSource() = default;
    virtual std::size_t Size() const = 0;
    // Fills into from offset at (which, with its size, lies within Size()); false when the bytes
    // cannot be read.
    virtual bool Read(std::size_t at, std::span<uint8_t> into) = 0;
};

class MemorySource final : public IByteSource {
public:
    explicit MemorySource(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    std::size_t Size() const override { return bytes_.size(); }
    bool Read(std::size_t at, std::span<uint8_t> into) override;

private:
    std::span<const uint8_t> bytes_;
};

// Little-endian fields of a source, read a page at a time and kept (under Wine a few small
// reads of a file cost a fifth of what mapping it does). A read that fails gives zeros and
// marks the reader Failed.
class ByteReader {
public:
    explicit ByteReader(IByteSource& source) : source_(source), size_(source.Size()) {}
    std::size_t Size() const { return size_; }
    bool Failed() const { return failed_; }
    // Room for count bytes at offset at.
    bool Holds(std::size_t at, std::size_t count) const { return at <= size_ && count <= size_ - at; }
    // Fields within the bytes (the caller has checked the room).
    uint16_t Word(std::size_t at) { return static_cast<uint16_t>(Byte(at) | Byte(at + 1) << 8); }
    uint32_t Dword(std::size_t at) { return static_cast<uint32_t>(Word(at)) | static_cast<uint32_t>(Word(at + 2)) << 16; }

private:
    static constexpr std::size_t kPage = 4096;
    uint8_t Byte(std::size_t at);

    IByteSource& source_;
    std::size_t size_;
    bool failed_ = false;
    std::map<std::size_t, std::vector<uint8_t>> pages_;
};

}  // namespace rondel::platform
