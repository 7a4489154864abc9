#pragma once
// Tokens of the Jet SQL dialect. Offsets are byte offsets into the statement
// text; position() turns one into the 1-based character position that error
// texts name.
#include <string>
#include <string_view>
#include <vector>

namespace jet::store {

enum class TokKind {
    End,
    Word,    // bare word: keyword or identifier
    Name,    // [bracketed] identifier, brackets removed
    String,  // '…' or "…", quotes removed and doubled quotes undone
    Number,
    Date,    // #…#, hashes removed
    Symbol,  // punctuation and operators: ( ) , ; = <> <= >= < > + - * / & . !
    Bad,     // a token that does not end (missing "]", quote or "#"); text says what
};

struct Token {
    TokKind kind = TokKind::End;
    std::string text;
    size_t begin = 0;
    size_t end = 0;
};

// Splits the whole text; the last token is End (at the text's end). A token
// that does not end becomes Bad and ends the list before End.
[[nodiscard]] std::vector<Token> tokenize(std::string_view sql);

// 1-based character (not byte) position of a byte offset in UTF-8 text.
[[nodiscard]] size_t position(std::string_view sql, size_t offset);

[[nodiscard]] bool isWordStart(char c);
[[nodiscard]] bool isWordChar(char c);

}  // namespace jet::store
