#include "expr/VxIParsLexer.h"

#include "values/RegionalSettings.h"
#include "expr/VxIParsErrors.h"
#include "expr/VxIParsOperators.h"
#include "expr/VxIParsText.h"

using vxipars::IsBlank;

namespace {

bool IsQuoteOpen(char c) { return c == '"' || c == '\'' || c == '['; }

bool IsQuoteClose(char c) { return c == '"' || c == '\'' || c == ']'; }

} // namespace

TExpParser::TExpParser(std::string_view text)
    : text_(vxipars::TrimBlanks(text)), decimalSeparator_(RegionalSettings::current().DecimalSeparator)
{
}

TExpParser::CharClass TExpParser::ClassOf(char c) const
{
    if (c == '(' || c == ')')
        return CharClass::Parenthesis;
    if (c == ',')
        return CharClass::Comma;
    if (IsOperatorChar(c))
        return CharClass::Operator;
    if ((c >= '0' && c <= '9') || c == '.' || (c == decimalSeparator_ && c != '\0'))
        return CharClass::Number;
    if (c == '\0')
        return CharClass::Illegal;
    return CharClass::Identifier;
}

TExpTokenKind TExpParser::KindOf(CharClass cls)
{
    switch (cls) {
    case CharClass::Parenthesis: return tkParenthesis;
    case CharClass::Comma: return tkComma;
    case CharClass::Operator: return tkOperator;
    case CharClass::Number: return tkNumber;
    case CharClass::Illegal:
    case CharClass::Identifier: break;
    }
    return tkIdentifier;
}

void TExpParser::ThrowIllegal(std::size_t index) const
{
    // NUL is the only illegal character; written as-is it would cut the message short.
    throw EVxIParserError(FormatParserText(vxipars_text::IllegalCharacter, "#0", static_cast<long long>(index) + 1));
}

bool TExpParser::Next(TExpToken &token)
{
    while (pos_ < text_.size() && IsBlank(text_[pos_]))
        ++pos_;
    if (pos_ >= text_.size())
        return false;

    const std::size_t start = pos_;
    const char c = text_[pos_++];
    const CharClass k = ClassOf(c);
    if (k == CharClass::Illegal)
        ThrowIllegal(start);

    token.Position = static_cast<int>(start) + 1;
    token.Quoted = false;
    token.Kind = KindOf(k);
    token.Text.assign(1, c);
    // A comma stands alone like a parenthesis, so that F(a,,b) has an empty middle argument.
    if (k == CharClass::Parenthesis || k == CharClass::Comma)
        return true;

    bool stringMode = IsQuoteOpen(c);
    token.Quoted = stringMode;
    if (stringMode)
        token.Text.clear();

    for (; pos_ < text_.size(); ++pos_) {
        const char c2 = text_[pos_];
        const CharClass k2 = stringMode ? CharClass::Identifier : ClassOf(c2);
        if (k2 != k && !(k == CharClass::Identifier && k2 == CharClass::Number)) {
            if (!token.Quoted && FindOperator(token.Text) != nullptr)
                token.Kind = tkOperator;
            return true;
        }
        if (stringMode && IsQuoteClose(c2)) {
            // A doubled quote stands for the quote character itself.
            if (pos_ + 1 < text_.size() && IsQuoteClose(text_[pos_ + 1]))
                token.Text += c2;
            else
                stringMode = false;
            continue;
        }
        if (!stringMode && IsBlank(c2))
            continue;
        token.Text += c2;
    }
    return true;
}

std::vector<TExpToken> TExpParser::Tokenize(std::string_view text)
{
    std::vector<TExpToken> tokens;
    TExpParser parser(text);
    TExpToken token;
    while (parser.Next(token))
        tokens.push_back(token);
    return tokens;
}
