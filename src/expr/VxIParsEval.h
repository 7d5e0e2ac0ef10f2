#pragma once

#include <vector>

#include "values/Variant.h"

class TExpNode;
class TVxIParser;
class TVxIParserFunction;

// Evaluates a compiled tree. A tree of a parser resolves its names through that parser
// (handler, then user-defined functions); a function body resolves its parameters from
// the call's arguments and other names through the function's owner parser, if any.
class TExpEvaluator {
public:
    TExpEvaluator(TVxIParser *parser, const TVxIParserFunction *function, const std::vector<Variant> *args)
        : parser_(parser), function_(function), args_(args)
    {
    }

    Variant Evaluate(const TExpNode &node);
    // A name of the parser's own text: handler, then user-defined functions, into value.
    void ResolveThroughParser(TVxIParser &parser, const TExpNode &node, Variant &value);

private:
    Variant EvaluateOperator(const TExpNode &node);
    Variant EvaluateName(const TExpNode &node);
    Variant Resolve(const TExpNode &node);
    Variant ResolveInBody(const TExpNode &node);
    Variant ResolveThroughParser(TVxIParser &parser, const TExpNode &node);

    TVxIParser *parser_;
    const TVxIParserFunction *function_;
    const std::vector<Variant> *args_;
};
