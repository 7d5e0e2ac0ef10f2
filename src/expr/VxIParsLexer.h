#pragma once

#include <string>
#include <string_view>
#include <vector>

// Token kinds keep the numbers the language has always used for them.
enum TExpTokenKind : int {
    tkIdentifier = 1,
    tkNumber = 2,
    tkParenthesis = 4,
    tkOperator = 5,
    tkComma = 6,
};

struct TExpToken {
    std::string Text;
    TExpTokenKind Kind = tkIdentifier;
    bool Quoted = false; // written between quotes or brackets, which are not part of Text
    int Position = 0;    // 1-based position of its first character in the trimmed text

    bool Is(TExpTokenKind kind, char c) const { return Kind == kind && Text.size() == 1 && Text[0] == c; }
    bool IsOpen() const { return Is(tkParenthesis, '('); }
    bool IsClose() const { return Is(tkParenthesis, ')'); }
};

// The tokenizer. Blanks separate tokens only where the character class changes, so
// "Field 1" is the single identifier Field1 and the word operators need a neighbour of
// another class, as in "(A = 1) AND (B = 2)".
class TExpParser {
public:
    explicit TExpParser(std::string_view text);

    // The next token, false at the end. Raises the illegal-character error for a NUL.
    bool Next(TExpToken &token);

    static std::vector<TExpToken> Tokenize(std::string_view text);

private:
    enum class CharClass { Parenthesis, Comma, Operator, Number, Illegal, Identifier };

    CharClass ClassOf(char c) const;
    static TExpTokenKind KindOf(CharClass cls);
    [[noreturn]] void ThrowIllegal(std::size_t index) const;

    std::string_view text_;
    std::size_t pos_ = 0;
    char decimalSeparator_;
};
