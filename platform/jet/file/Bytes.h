#pragma once
// Integers in little- and big-endian order, and a cursor over bytes that never
// reads past its end: every structure of a Jet file is decoded through these,
// so a damaged length or offset ends in FormatError, never in a stray read.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "jet/file/FormatError.h"

namespace jet::file {

using Bytes = std::vector<uint8_t>;
using ByteSpan = std::span<const uint8_t>;

// Unchecked reads and writes: the caller has checked the range.
[[nodiscard]] inline uint16_t le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
[[nodiscard]] inline uint32_t le24(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16;
}
[[nodiscard]] inline uint32_t le32(const uint8_t* p) {
    return le24(p) | static_cast<uint32_t>(p[3]) << 24;
}
[[nodiscard]] inline uint64_t le64(const uint8_t* p) {
    return static_cast<uint64_t>(le32(p)) | static_cast<uint64_t>(le32(p + 4)) << 32;
}
[[nodiscard]] inline uint16_t be16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] << 8 | p[1]);
}
[[nodiscard]] inline uint32_t be24(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 16 | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]);
}
[[nodiscard]] inline uint32_t be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | be24(p + 1);
}

inline void putLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
inline void putLe24(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
}
inline void putLe32(uint8_t* p, uint32_t v) {
    putLe24(p, v);
    p[3] = static_cast<uint8_t>(v >> 24);
}
inline void putLe64(uint8_t* p, uint64_t v) {
    putLe32(p, static_cast<uint32_t>(v));
    putLe32(p + 4, static_cast<uint32_t>(v >> 32));
}
inline void putBe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v >> 8);
    p[1] = static_cast<uint8_t>(v);
}
inline void putBe24(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 16);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v);
}
inline void putBe32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v >> 24);
    putBe24(p + 1, v);
}

// Throws FormatError unless [offset, offset + length) lies within `size`.
inline void requireRange(size_t size, size_t offset, size_t length, const char* what,
                         int64_t page = -1) {
    if (offset > size || length > size - offset)
        throw FormatError(std::string(what) + " runs past the end of its bytes", page);
}

// Checked reads at an offset of a span.
[[nodiscard]] inline uint8_t readU8(ByteSpan b, size_t off, const char* what = "a field",
                                    int64_t page = -1) {
    requireRange(b.size(), off, 1, what, page);
    return b[off];
}
[[nodiscard]] inline uint16_t readLe16(ByteSpan b, size_t off, const char* what = "a field",
                                       int64_t page = -1) {
    requireRange(b.size(), off, 2, what, page);
    return le16(b.data() + off);
}
[[nodiscard]] inline uint32_t readLe24(ByteSpan b, size_t off, const char* what = "a field",
                                       int64_t page = -1) {
    requireRange(b.size(), off, 3, what, page);
    return le24(b.data() + off);
}
[[nodiscard]] inline uint32_t readLe32(ByteSpan b, size_t off, const char* what = "a field",
                                       int64_t page = -1) {
    requireRange(b.size(), off, 4, what, page);
    return le32(b.data() + off);
}

// A cursor over a span: each read moves on and throws FormatError (naming
// `what` and the page, when known) instead of reading past the end.
class ByteReader {
public:
    explicit ByteReader(ByteSpan bytes, const char* what = "a structure", int64_t page = -1)
        : bytes_(bytes), what_(what), page_(page) {}

    [[nodiscard]] size_t position() const { return pos_; }
    [[nodiscard]] size_t size() const { return bytes_.size(); }
    [[nodiscard]] size_t remaining() const { return bytes_.size() - pos_; }
    [[nodiscard]] bool atEnd() const { return pos_ == bytes_.size(); }

    void seek(size_t pos) {
        if (pos > bytes_.size()) fail();
        pos_ = pos;
    }
    void skip(size_t n) { (void)take(n); }

    uint8_t u8() { return *take(1); }
    uint16_t u16() { return le16(take(2)); }
    uint32_t u24() { return le24(take(3)); }
    uint32_t u32() { return le32(take(4)); }
    int32_t i32() { return static_cast<int32_t>(u32()); }
    uint64_t u64() { return le64(take(8)); }
    uint16_t be16v() { return be16(take(2)); }
    uint32_t be24v() { return be24(take(3)); }
    uint32_t be32v() { return be32(take(4)); }

    ByteSpan bytes(size_t n) { return {take(n), n}; }
    Bytes copy(size_t n) {
        const uint8_t* p = take(n);
        return Bytes(p, p + n);
    }
    template <typename Array>
    Array array() {
        Array a{};
        const uint8_t* p = take(a.size());
        for (size_t i = 0; i < a.size(); ++i) a[i] = p[i];
        return a;
    }

private:
    const uint8_t* take(size_t n) {
        if (n > remaining()) fail();
        const uint8_t* p = bytes_.data() + pos_;
        pos_ += n;
        return p;
    }
    [[noreturn]] void fail() const {
        throw FormatError(std::string(what_) + " runs past the end of its bytes", page_);
    }

    ByteSpan bytes_;
    const char* what_;
    int64_t page_;
    size_t pos_ = 0;
};

// Appends integers and bytes to a growing buffer.
class ByteWriter {
public:
    ByteWriter() = default;
    explicit ByteWriter(Bytes initial) : out_(std::move(initial)) {}

    [[nodiscard]] size_t size() const { return out_.size(); }
    void u8(uint8_t v) { out_.push_back(v); }
    void u16(uint16_t v) { putLe16(grow(2), v); }
    void u24(uint32_t v) { putLe24(grow(3), v); }
    void u32(uint32_t v) { putLe32(grow(4), v); }
    void i32(int32_t v) { u32(static_cast<uint32_t>(v)); }
    void u64(uint64_t v) { putLe64(grow(8), v); }
    void bytes(ByteSpan b) { out_.insert(out_.end(), b.begin(), b.end()); }
    void zeros(size_t n) { out_.insert(out_.end(), n, 0); }
    // Overwrites a little-endian value already written (a length known later).
    void patch16(size_t at, uint16_t v) { putLe16(out_.data() + at, v); }
    void patch32(size_t at, uint32_t v) { putLe32(out_.data() + at, v); }

    [[nodiscard]] const Bytes& data() const { return out_; }
    Bytes take() { return std::move(out_); }

private:
    uint8_t* grow(size_t n) {
        out_.resize(out_.size() + n);
        return out_.data() + out_.size() - n;
    }
    Bytes out_;
};

}  // namespace jet::file
