#pragma once
// Tokens of the Jet SQL dialect. A token is its kind and its byte range in the
// statement text, no copy of it: a statement's tokens take a few bytes for
// each of its characters at most. Offsets are byte offsets into the text;
// position() turns one into the 1-based character position that error texts
// name.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace jet::statement {

enum class TokKind : uint8_t {
    End,
    Word,    // bare word: keyword or identifier
    Name,    // [bracketed] identifier
    String,  // '…' or "…"
    Number,
    Date,    // #…#
    Symbol,  // punctuation and operators: ( ) , ; = <> <= >= < > + - * / & . ! …
    Bad,     // a token that does not end (missing "]", quote or "#")
};

struct Token {
    TokKind kind = TokKind::End;
    uint32_t begin = 0;  // the whole token, brackets, quotes and hashes included
    uint32_t end = 0;
};

// Splits the whole text; the last token is End (at the text's end). A token
// that does not end becomes Bad and ends the list before End. The text must
// be shorter than 4 GiB.
[[nodiscard]] std::vector<Token> tokenize(std::string_view sql);

// The token as written.
[[nodiscard]] inline std::string_view raw(std::string_view sql, const Token& t) {
    return sql.substr(t.begin, t.end - t.begin);
}
// What a token stands for: a name without its brackets, a date without its
// hashes, a string without its quotes and with doubled quotes undone; any
// other token as written.
[[nodiscard]] std::string value(std::string_view sql, const Token& t);
// The same without copying, for every kind but String.
[[nodiscard]] std::string_view inner(std::string_view sql, const Token& t);
// What a Bad token lacks, for the error text.
[[nodiscard]] std::string badTokenText(std::string_view sql, const Token& t);

// 1-based character (not byte) position of a byte offset in UTF-8 text.
[[nodiscard]] size_t position(std::string_view sql, size_t offset);

[[nodiscard]] bool isWordStart(char c);
[[nodiscard]] bool isWordChar(char c);

}  // namespace jet::statement
