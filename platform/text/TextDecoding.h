#pragma once
// Reading text files the one way every program does: the bytes are taken as
// UTF-8 and, when they are not valid UTF-8, as Windows-1252 (files made on
// Windows); a UTF-8 byte order mark at the start is dropped. CR LF, LF and CR
// each end a line; the terminator is not part of the line, and a terminator at
// the very end of the text does not start another (empty) line.
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace text {

// A text that cannot be decoded at all (too large, or no converter).
class DecodeError : public std::runtime_error {
public:
    explicit DecodeError(const std::string& message) : std::runtime_error(message) {}
};

// The bytes of a file as UTF-8 text. Throws DecodeError.
[[nodiscard]] std::string decodeText(std::string_view bytes);

[[nodiscard]] std::vector<std::string> splitLines(std::string_view text);

}  // namespace text
