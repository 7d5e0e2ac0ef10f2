#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "values/Variant.h"
#include "expr/VxIParsErrors.h"
#include "expr/VxIParsFunctions.h"

class TVxIParser;
class TExpTree;

// The identifier handler: called for every name the parser cannot resolve itself. Eval is
// the name as written, Args always holds 11 values (Empty beyond the call's own arguments)
// and ArgCount is always 11, IsChild tells whether the name is part of a larger expression,
// Value arrives holding the name without enclosing quotes or brackets and Done False.
using TOnEvaluate = std::function<void(TVxIParser *Sender, const std::string &Eval, std::vector<Variant> &Args,
                                       int ArgCount, bool IsChild, Variant &Value, bool &Done)>;

// Evaluates one expression text. The text is compiled once and the tree kept until the text
// changes, so a caller that evaluates the same expression for every row of a run pays for
// parsing only once; each evaluation still behaves as a fresh parse would (GETDATE and
// RANDOM are evaluated anew, user-defined functions are looked up at every evaluation).
class TVxIParser {
public:
    TVxIParser();
    explicit TVxIParser(const std::string &text);
    ~TVxIParser();
    TVxIParser(const TVxIParser &) = delete;
    TVxIParser &operator=(const TVxIParser &) = delete;

    // With True, user-defined functions are consulted before OnEvaluate.
    bool ProcessBeforeEvent = false;
    TOnEvaluate OnEvaluate;
    // The result of the last evaluation (Empty while an evaluation runs or after one failed).
    Variant Value;

    const std::string &Text() const { return text_; }
    void SetText(const std::string &text);

    // Tokenizes and compiles Text, raising the parse and compile errors; for validation.
    void Compile();
    // Evaluates Text (compiling it when needed) into value and Value.
    void Evaluate(Variant &value);
    Variant Evaluate();
    // As Evaluate, for a caller that owns the parser and never reads Value: the result
    // is handed over instead of copied, and Value stays Empty.
    void EvaluateInto(Variant &value);
    // True when Text is one name and nothing else ("Field1", "[Unit Price]"), compiling it
    // when needed; BareName is then that name as the identifier handler receives it.
    bool IsBareName();
    const std::string &BareName();

private:
    friend class TParserRun;
    const TExpTree &CompiledTree();
    void Adopt(std::shared_ptr<const TExpTree> tree);

    std::string text_;
    std::shared_ptr<const TExpTree> tree_;
    // The text is one name and nothing else ("Field1"): evaluating it only resolves that
    // name, so the general evaluator is skipped (the row loop asks for such texts most).
    bool bareName_ = false;
    // Trees replaced while an evaluation runs: a handler may change Text mid-evaluation,
    // and the running tree must outlive that.
    int running_ = 0;
    std::vector<std::shared_ptr<const TExpTree>> retired_;
};
