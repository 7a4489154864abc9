#include "text/TextDecoding.h"

#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <limits>
#include <memory>

namespace text {

namespace {

bool isValidUtf8(std::string_view bytes) {
    if (bytes.empty()) return true;
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    // Preflight only: a valid text reports the buffer overflow, an invalid one
    // U_INVALID_CHAR_FOUND.
    u_strFromUTF8(nullptr, 0, &length, bytes.data(), static_cast<int32_t>(bytes.size()), &status);
    return status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status);
}

struct ConverterCloser {
    void operator()(UConverter* c) const { ucnv_close(c); }
};

std::string fromWindows1252(std::string_view bytes) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<UConverter, ConverterCloser> conv(ucnv_open("windows-1252", &status));
    if (U_FAILURE(status)) throw DecodeError("The Windows-1252 converter is not available.");
    std::u16string wide(bytes.size(), u'\0');
    const int32_t wideLength =
        ucnv_toUChars(conv.get(), wide.data(), static_cast<int32_t>(wide.size()), bytes.data(),
                      static_cast<int32_t>(bytes.size()), &status);
    if (U_FAILURE(status)) throw DecodeError("The file cannot be read as Windows-1252 text.");
    wide.resize(static_cast<size_t>(wideLength));
    // Every code unit of Windows-1252 becomes at most three UTF-8 bytes.
    std::string out(wide.size() * 3, '\0');
    int32_t outLength = 0;
    status = U_ZERO_ERROR;
    u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &outLength, wide.data(),
                static_cast<int32_t>(wide.size()), &status);
    if (U_FAILURE(status)) throw DecodeError("The file cannot be read as Windows-1252 text.");
    out.resize(static_cast<size_t>(outLength));
    return out;
}

// UTF-16 text after its byte order mark, in the byte order the mark gave.
std::string fromUtf16(std::string_view bytes, bool bigEndian) {
    if (bytes.size() % 2 != 0)
        throw DecodeError("The file ends in the middle of a UTF-16 character.");
    std::u16string wide(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < wide.size(); ++i) {
        const auto a = static_cast<unsigned char>(bytes[2 * i]);
        const auto b = static_cast<unsigned char>(bytes[2 * i + 1]);
        wide[i] = static_cast<char16_t>(bigEndian ? (a << 8) | b : (b << 8) | a);
    }
    // Every UTF-16 code unit becomes at most three UTF-8 bytes.
    std::string out(wide.size() * 3, '\0');
    int32_t outLength = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strToUTF8(out.data(), static_cast<int32_t>(out.size()), &outLength, wide.data(),
                static_cast<int32_t>(wide.size()), &status);
    // A lone surrogate: the file is damaged or not UTF-16 at all.
    if (U_FAILURE(status)) throw DecodeError("The file is not valid UTF-16 text.");
    out.resize(static_cast<size_t>(outLength));
    return out;
}

}  // namespace

std::string decodeText(std::string_view bytes) {
    // ICU counts in 32-bit lengths.
    if (bytes.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() / 3))
        throw DecodeError("The file is too large to be read.");
    if (bytes.starts_with("\xFF\xFE")) return fromUtf16(bytes.substr(2), false);
    if (bytes.starts_with("\xFE\xFF")) return fromUtf16(bytes.substr(2), true);
    if (isValidUtf8(bytes)) {
        if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
        return std::string(bytes);
    }
    return fromWindows1252(bytes);
}

bool isEightBitText(std::string_view bytes) {
    if (bytes.find('\0') != std::string_view::npos) return false;
    if (isValidUtf8(bytes)) return true;
    return bytes.find_first_of("\x81\x8D\x8F\x90\x9D") == std::string_view::npos;
}

std::vector<std::string> splitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.emplace_back(text.substr(start, i - start));
        i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

}  // namespace text
