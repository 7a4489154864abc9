#pragma once
// Reading text files the one way every program does: a file that starts with a
// UTF-16 byte order mark (either byte order) is UTF-16; any other is taken as
// UTF-8 and, when it is not valid UTF-8, as Windows-1252 (files made on
// Windows). Byte order marks are dropped. CR LF, LF and CR
// each end a line; the terminator is not part of the line, and a terminator at
// the very end of the text does not start another (empty) line.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// A text that cannot be decoded at all (too large, no converter, or UTF-16
// cut in the middle of a character or holding a lone surrogate).
class DecodeError : public std::runtime_error {
public:
    explicit DecodeError(const std::string& message) : std::runtime_error(message) {}
};

// The bytes of a file as UTF-8 text. Throws DecodeError.
[[nodiscard]] std::string decodeText(std::string_view bytes);

// Whether the bytes are a text a person could have typed in an 8-bit editor:
// no NUL byte, and valid UTF-8 or else Windows-1252 (none of the five bytes
// that code page leaves undefined). Databases and other binary files fail it.
[[nodiscard]] bool isEightBitText(std::string_view bytes);

[[nodiscard]] std::vector<std::string> splitLines(std::string_view text);

}  // namespace text
