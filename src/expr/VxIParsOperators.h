#pragma once

#include <string_view>

#include "values/Variant.h"

enum class TExpOperatorId {
    Add,
    Subtract,
    Multiply,
    Divide,
    Power,
    Factorial,
    Equal,
    Less,
    Greater,
    LessEqual,
    GreaterEqual,
    NotEqual,
    BangEqual,
    And,
    Or,
    Not
};

struct TExpOperator {
    std::string_view Text;
    int Rank; // lower binds looser; equal ranks group to the right
    int Arity;
    TExpOperatorId Id;
};

// The entry of the operator table with exactly this text (case-sensitive), or nullptr.
const TExpOperator *FindOperator(std::string_view text);
// Characters that form operator tokens: + - * / ^ ! = < >
bool IsOperatorChar(char c);

// Operand of -, *, /, ^ and !: Null and Empty become 0; a text loses its commas, thousand
// separators and currency symbol and stays text when what is left reads as a number,
// otherwise it becomes 0. Values that are no text are numeric already and pass unchanged.
Variant MakeNumeric(const Variant &value);

// The ^ operator and POWER on two values that are already numeric.
Variant PowerOf(const Variant &base, const Variant &exponent);
// The postfix ! operator on a value that is already numeric.
Variant FactorialOf(const Variant &value);

// "+": the text of both when exactly one operand is a text, else the value addition.
Variant AddValues(const Variant &a, const Variant &b);
