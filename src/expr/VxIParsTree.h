#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "values/Variant.h"
#include "expr/VxIParsBuiltins.h"
#include "expr/VxIParsLexer.h"
#include "expr/VxIParsOperators.h"

enum class TExpNodeKind {
    nkEmpty,      // no tokens: evaluates to Null
    nkNumber,     // a number literal
    nkOperator,   // an operator with its operands as children
    nkIdentifier, // a name, or a call with its arguments as children
    nkText,       // a lone parenthesis or comma: evaluates to its text
};

// One node of a compiled expression. Everything that depends only on the text is worked
// out once when compiling, so that evaluating a row does no parsing and no lookups.
class TExpNode {
public:
    TExpNode(const TExpNode &) = delete;
    TExpNode &operator=(const TExpNode &) = delete;

    TExpNodeKind Kind() const { return kind_; }
    const TExpNode *Parent() const { return parent_; }
    const std::vector<std::unique_ptr<TExpNode>> &Children() const { return children_; }
    int Depth() const { return depth_; }
    const TExpToken &Token() const { return token_; } // empty text for an empty node

    // nkNumber: the value, or false from NumberValid when the text is not a number
    // (the error is raised when the node is evaluated, not when it is compiled).
    double Number() const { return number_; }
    bool NumberValid() const { return numberValid_; }
    // nkOperator: the table entry, nullptr for operator characters that form no operator.
    const TExpOperator *Operator() const { return operator_; }
    // nkIdentifier
    bool IsGetDate() const { return isGetDate_; }
    TBuiltinFunction Builtin() const { return builtin_; }
    const std::string &Name() const { return name_; } // without enclosing quote or bracket

    // The eleven argument values handed to an identifier handler. A node normally lends its
    // own vector; a re-entrant use of the same node gets a fresh one.
    class TArgSlots {
    public:
        explicit TArgSlots(const TExpNode &node);
        ~TArgSlots();
        TArgSlots(const TArgSlots &) = delete;
        TArgSlots &operator=(const TArgSlots &) = delete;
        std::vector<Variant> &Values() { return *values_; }

    private:
        const TExpNode &node_;
        std::vector<Variant> own_;
        std::vector<Variant> *values_;
    };

    static constexpr int kArgSlotCount = 11;

private:
    friend class TExpCompiler;
    TExpNode(TExpNode *parent, int depth) : parent_(parent), depth_(depth) {}

    TExpNodeKind kind_ = TExpNodeKind::nkEmpty;
    TExpNode *parent_;
    int depth_;
    std::vector<std::unique_ptr<TExpNode>> children_;
    TExpToken token_;
    double number_ = 0;
    bool numberValid_ = false;
    const TExpOperator *operator_ = nullptr;
    bool isGetDate_ = false;
    TBuiltinFunction builtin_ = nullptr;
    std::string name_;
    mutable std::vector<Variant> argSlots_;
    mutable bool argSlotsBusy_ = false;
};

// A compiled expression text.
class TExpTree {
public:
    // Tokenizes and compiles, raising the parse and compile errors.
    static std::shared_ptr<const TExpTree> Compile(std::string_view text);

    const TExpNode &Root() const { return *root_; }
    // Tokenizing depends on the regional decimal separator; a tree compiled under another
    // one must be compiled again.
    bool IsCurrent() const;

    // Trees deeper than this are refused; expressions written by people stay far below it.
    static constexpr int kMaxDepth = 1000;

private:
    TExpTree() = default;
    std::unique_ptr<TExpNode> root_;
    char decimalSeparator_ = '.';
};
